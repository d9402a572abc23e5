#!/usr/bin/env bash
# Checks the release build: 32-bit GUI program, only system DLLs imported,
# and the size limits.
set -euo pipefail
dir=${1:-build/win32}
fail=0
objdump=x86_64-w64-mingw32-objdump  # reads both PE32 and PE32+
allowed='^(kernel32|user32|gdi32|advapi32|shell32|ole32|oleaut32|comctl32|comdlg32|version|msvcrt|wininet|shlwapi)\.dll$'

check_imports() {
  local f=$1 dll od=$objdump
  file -b "$f" | grep -q 'x86-64' && od=x86_64-w64-mingw32-objdump
  while read -r dll; do
    if ! echo "$dll" | tr 'A-Z' 'a-z' | grep -Eq "$allowed"; then
      echo "FAIL: $f imports $dll, which is not a system DLL"; fail=1
    fi
  done < <($od -p "$f" | awk '/DLL Name:/ {print $3}')
}

# ASLR with relocations to apply, DEP, imports found, and no section both
# writable and executable: the release links with its own section layout.
# (Here-strings, not pipes: grep -q stops reading early, and under pipefail
# the writer's broken pipe would read as a missing flag.)
check_hardening() {
  local f=$1 headers
  headers=$($objdump -p "$f")
  for flag in DYNAMIC_BASE NX_COMPAT; do
    grep -qw "$flag" <<<"$headers" || { echo "FAIL: $f lacks $flag"; fail=1; }
  done
  for entry in "1 Import" "5 Base Relocation"; do
    grep -Eq "^Entry ${entry%% *} +0*[1-9a-f][0-9a-f]* +0*[1-9a-f][0-9a-f]* +${entry#* }" <<<"$headers" ||
      { echo "FAIL: $f has no ${entry#* } directory"; fail=1; }
  done
  if grep -A1 '^ *[0-9]' <<<"$($objdump -h "$f")" | grep 'CODE' | grep -v 'READONLY' >/dev/null; then
    echo "FAIL: $f has a section that is both writable and executable"; fail=1
  fi
}

exe=$dir/setup.exe
if ! file "$exe" | grep -q 'PE32 executable (GUI) Intel 80386'; then
  echo "FAIL: $exe is not a 32-bit GUI program: $(file -b "$exe")"; fail=1
fi
check_imports "$exe"
check_hardening "$exe"
size=$(stat -c %s "$exe")
echo "setup.exe (i686): $size bytes (target: at most 60884)"
[ "$size" -le 60884 ] || echo "WARNING: setup.exe is over its size target"

for dll in "$dir/uncab.dll" "${dir/win32/win64}/uncab.dll"; do
  [ -f "$dll" ] || continue
  check_imports "$dll"
  s=$(stat -c %s "$dll")
  echo "$dll: $s bytes (limit: 30720)"
  [ "$s" -le 30720 ] || { echo "FAIL: $dll is over the 30720-byte library slot"; fail=1; }
done
exit $fail
