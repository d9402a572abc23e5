#!/usr/bin/env bash
# Lays out links in a temporary folder for the start-up (Wine cannot make
# them from the Windows side), then runs the Windows test case that uses them.
#   links_wintest.sh --win32|--win64 WINTEST_EXE SCRATCH_FOLDER
set -eu
arch=$1
exe=$2
mkdir -p "$3"
root=$(realpath "$(mktemp -d "$3/links.XXXXXX")")
trap 'rm -rf "$root"' EXIT
mkdir -p "$root/victim/dir" "$root/temp-lib" "$root/temp-dir" "$root/temp-script/kestin"
printf 'the victim library' > "$root/victim/lib.dll"
printf '[General]\r\nNext=VICTIM\r\n' > "$root/victim/dir/kestin.ini"
printf '[General]\r\nNext=VICTIM\r\n' > "$root/victim/script.ini"
ln -s "$root/victim/lib.dll" "$root/temp-lib/uncab.dll"
ln -s "$root/victim/dir" "$root/temp-dir/kestin"
ln -s "$root/victim/script.ini" "$root/temp-script/kestin/kestin.ini"
export KESTIN_LINKS="Z:${root//\//\\}"
"$(dirname "$0")/../wine/wine-run" "$arch" "$exe" --test-case='links with the fixed names*'
# The links' targets, seen from this side too.
[ "$(cat "$root/victim/lib.dll")" = "the victim library" ]
[ "$(ls "$root/victim/dir")" = "kestin.ini" ]
