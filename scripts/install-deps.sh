#!/usr/bin/env bash
# Installs the Debian packages the build and the tests need, only those missing.
# 32-bit Wine (wine32:i386, for the tests of the i686 release build) is added
# only where this machine executes 32-bit programs itself (can-run-i386.sh);
# nothing here registers an emulator with binfmt_misc. --bench adds the peers
# the benchmarks compare with; --deb adds lintian, which checks make deb's
# package.
set -euo pipefail
here=$(cd "$(dirname "$0")" && pwd)
want=(cmake ninja-build make python3 file binutils
      g++-mingw-w64-i686 g++-mingw-w64-x86-64 binutils-mingw-w64-i686 binutils-mingw-w64-x86-64
      clang libclang-rt-14-dev doctest-dev zlib1g-dev
      wine wine64 xvfb xauth x11-utils imagemagick xdotool
      fonts-wine              # Wine's own fonts (Tahoma, MS Sans Serif, ...): the Windows tests' fixed font set
      fonts-droid-fallback    # the one CJK font in that set: tests show East-Asian text
      cabextract gcab libz-mingw-w64-dev
      osslsigncode openssl)  # the last two sign packages in the signing tests
case ${1:-} in
  --bench) want+=(nsis hyperfine) ;;
  --deb) want+=(lintian) ;;
esac

sudo_cmd=""
[ "$(id -u)" -ne 0 ] && sudo_cmd="sudo"
export DEBIAN_FRONTEND=noninteractive
updated=0
install_missing() {
  local p missing=()
  for p in "$@"; do
    dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q "install ok installed" || missing+=("$p")
  done
  [ ${#missing[@]} -gt 0 ] || return 0
  echo "installing: ${missing[*]}" >&2
  if [ $updated -eq 0 ]; then $sudo_cmd apt-get update -q; updated=1; fi
  $sudo_cmd apt-get install -y -q --no-install-recommends "${missing[@]}"
}

install_missing "${want[@]}"

# The probe needs binutils, installed above.
if reason=$("$here/can-run-i386.sh"); then
  if ! dpkg --print-foreign-architectures | grep -qx i386; then
    echo "adding the i386 architecture for 32-bit Wine" >&2
    $sudo_cmd dpkg --add-architecture i386
    updated=0
  fi
  install_missing wine32:i386
else
  echo "no 32-bit Wine: $reason; the i686 Windows tests will be skipped" >&2
fi
