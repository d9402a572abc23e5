#!/usr/bin/env bash
# Checks the Windows build trees named (default: build/win32 and build/win64,
# whichever exist): setup.exe imports only libraries the system always loads
# from its own folder, hardening, and the size limits; the i686 setup.exe is a
# 32-bit GUI program.
#
# Why the import list is short: a library that setup.exe imports is loaded
# before its first instruction runs, while nothing can yet restrict where the
# loader looks. For the system's known libraries the loader always takes the
# system's own copy; for any other name it looks in the package's folder first,
# where a file of that name (in a Downloads folder, say) would run with the
# installer's rights. Every other library is loaded later, by full system path.
# comctl32 is the one exception: the program's manifest binds it to the
# system's side-by-side copy.
#   check-release.sh [--imports-only] [TREE...]
# setup.exe is a loader that carries setup-program.dll, the setup program as
# linked, compressed; it writes that library to the temporary folder and loads
# it with its imports taken from the system folder, so both import lists are
# held to the same rule.
# With --imports-only just the import tables of setup-program.dll are checked
# (the build runs it after linking that program).
set -euo pipefail
fail=0
imports_only=0
if [ "${1:-}" = "--imports-only" ]; then imports_only=1; shift; fi
objdump=x86_64-w64-mingw32-objdump  # reads both PE32 and PE32+
allowed='^(kernel32|user32|gdi32|advapi32|shell32|ole32|oleaut32|comdlg32|msvcrt|shlwapi|comctl32)\.dll$'
# The helper library is loaded by full path from the temporary workspace, and
# the loader looks for its imports in that shared folder first.
allowed_uncab='^(kernel32|msvcrt)\.dll$'

check_imports() {
  local f=$1 pattern=$2 dll found=0
  while read -r dll; do
    found=1
    if ! echo "$dll" | tr 'A-Z' 'a-z' | grep -Eq "$pattern"; then
      echo "FAIL: $f imports $dll, which is not on its list of allowed system DLLs"; fail=1
    fi
  done < <($objdump -p "$f" | awk '/DLL Name:/ {print $3}')
  [ "$found" = 1 ] || { echo "FAIL: no imports found in $f"; fail=1; }
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

dirs=("$@")
if [ ${#dirs[@]} -eq 0 ]; then
  for d in build/win32 build/win64; do [ -d "$d" ] && dirs+=("$d"); done
fi
[ ${#dirs[@]} -gt 0 ] || { echo "FAIL: no build tree to check"; exit 1; }

for dir in "${dirs[@]}"; do
  image=$dir/setup-program.dll
  if [ ! -f "$image" ]; then
    echo "FAIL: $image is missing"; fail=1; continue
  fi
  check_imports "$image" "$allowed"
  [ "$imports_only" = 1 ] && continue
  check_hardening "$image"
  # The program is entered through its one export, never through library
  # start-up work under the system's loader lock.
  exports=$($objdump -p "$image" | sed -n '/\[Ordinal\/Name Pointer\] Table/,/^$/p' | grep -Ec '^\s*\[ *[0-9]+\]' || true)
  [ "$exports" = 1 ] || { echo "FAIL: $image exports $exports names instead of its one entry"; fail=1; }
  # 64-bit stack walks and exception dispatch need every function's unwind
  # data in the exception directory.
  if file -b "$image" | grep -q 'x86-64' &&
     ! grep -Eq '^Entry 3 +0*[1-9a-f][0-9a-f]* +0*[1-9a-f][0-9a-f]* +Exception' <<<"$($objdump -p "$image")"; then
    echo "FAIL: $image has no unwind data"; fail=1
  fi
  exe=$dir/setup.exe
  if [ ! -f "$exe" ]; then
    echo "FAIL: $exe is missing"; fail=1; continue
  fi
  check_imports "$exe" "$allowed"
  check_hardening "$exe"
  echo "$image: $(stat -c %s "$image") bytes, carried compressed in setup.exe"
  size=$(stat -c %s "$exe")
  if file -b "$exe" | grep -q 'x86-64'; then
    echo "$exe (x86_64): $size bytes"
  else
    if ! file "$exe" | grep -q 'PE32 executable (GUI) Intel 80386'; then
      echo "FAIL: $exe is not a 32-bit GUI program: $(file -b "$exe")"; fail=1
    fi
    echo "$exe (i686): $size bytes (limit: below 91604, the smallest installer of the peer NSIS 3.08; aim: at most 60884)"
    if [ "$size" -ge 91604 ]; then
      echo "FAIL: $exe is not below 91604 bytes"; fail=1
    elif [ "$size" -gt 60884 ]; then
      echo "WARNING: setup.exe is over its 60884-byte aim"
    fi
  fi
  dll=$dir/uncab.dll
  if [ -f "$dll" ]; then
    check_imports "$dll" "$allowed_uncab"
    s=$(stat -c %s "$dll")
    echo "$dll: $s bytes (limit: 30720)"
    [ "$s" -le 30720 ] || { echo "FAIL: $dll is over the 30720-byte library slot"; fail=1; }
  fi
done
exit $fail
