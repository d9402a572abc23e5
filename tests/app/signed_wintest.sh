#!/usr/bin/env bash
# A package signed with Authenticode installs unattended and uninstalls like
# an unsigned one: the signature sits after the cabinet, where setup must not
# mistake it for part of the product. The package is built with this tree's
# kestin-pack.exe, signed and verified here with osslsigncode and a throw-away
# certificate from openssl, then installed with /S and removed through its
# uninstall entry's QuietUninstallString, all in one Wine session.
#   signed_wintest.sh --win64|--win32 BINARY_DIR SCRATCH_FOLDER
set -eu
arch=${1#--}
bin=$2
scratch=$3

for tool in osslsigncode openssl; do
  if ! command -v $tool >/dev/null; then
    echo "SKIPPED: $tool is missing; scripts/install-deps.sh installs it"
    exit 77
  fi
done
here=$(cd "$(dirname "$0")" && pwd)
# Install, registry look-up and uninstall must see the one prefix.
if [ -z "${KESTIN_WINE_SESSION:-}" ] || [ "${KESTIN_WINE_ARCH:-}" != "$arch" ]; then
  unset KESTIN_WINE_SESSION
  WINE_SESSION_ARCH=$arch exec "$here/../wine/wine-session" bash "$0" "$@"
fi
if [ -n "${KESTIN_WINE_SKIP:-}" ]; then
  echo "SKIPPED: $KESTIN_WINE_SKIP"
  exit 77
fi
wine() { "$here/../wine/wine-run" "--$arch" "$@"; }
winpath() { local p=${1//\//\\}; echo "Z:$p"; }
fail() { echo "FAILED: $*" >&2; exit 1; }

mkdir -p "$scratch"
root=$(realpath "$(mktemp -d "$scratch/signed.XXXXXX")")
trap 'rm -rf "$root"' EXIT

# The product: one file that does not compress and one below a folder.
tree=$root/product
mkdir -p "$tree/KESTIN" "$tree/docs"
head -c 70000 /dev/urandom > "$tree/app.bin"
printf 'Read me, signed.\r\n' > "$tree/docs/readme.txt"
cat > "$tree/KESTIN/kestin.ini" <<'INI'
[General]
ProgramName=Kestin Signed Test

[Options]
Option1_Text=Program
Option1_List=ProgramFiles

[ProgramFiles]
1=app.bin
2=docs\readme.txt

[Uninstall]
SectionName=KestinSignedTest
MessageString=Remove the signed test?
UninstallerName=KestinSigned.kvl
INI

wine "$bin/kestin-pack.exe" build "$(winpath "$tree")" -o "$(winpath "$root/plain.exe")" \
  --stub "$(winpath "$bin/setup.exe")" --dll "$(winpath "$bin/uncab.dll")" || fail "kestin-pack build"

openssl req -x509 -newkey rsa:2048 -nodes -days 2 -subj /CN=Kestin-Test \
  -keyout "$root/key.pem" -out "$root/cert.pem" 2>"$root/openssl.err" || { cat "$root/openssl.err"; fail "openssl"; }
osslsigncode sign -certs "$root/cert.pem" -key "$root/key.pem" -n "Kestin Signed Test" \
  -in "$root/plain.exe" -out "$root/setup.exe" >/dev/null || fail "osslsigncode sign"
osslsigncode verify -CAfile "$root/cert.pem" "$root/setup.exe" >"$root/verify.out" 2>&1 ||
  { cat "$root/verify.out"; fail "osslsigncode verify"; }
[ "$(stat -c %s "$root/setup.exe")" -gt "$(stat -c %s "$root/plain.exe")" ] || fail "the signature added nothing"

dest_win='C:\Kestin Signed Test'
dest=$WINEPREFIX/drive_c/Kestin\ Signed\ Test
rc=0
wine "$(winpath "$root/setup.exe")" /S "DIR=$dest_win" "LOG=$(winpath "$root/install.log")" || rc=$?
if [ $rc -ne 0 ]; then
  cat "$root/install.log" 2>/dev/null
  fail "the signed package's unattended install ended with exit code $rc"
fi
cmp "$tree/app.bin" "$dest/app.bin" || fail "app.bin differs"
cmp "$tree/docs/readme.txt" "$dest/docs/readme.txt" || fail "docs/readme.txt differs"

entry='HKLM\Software\Microsoft\Windows\CurrentVersion\Uninstall\KestinSignedTest'
quiet=$(wine reg query "$entry" /v QuietUninstallString | tr -d '\r' | sed -n 's/^ *QuietUninstallString *REG_SZ *//p')
# UNINSTALLER /U "LOG" /S, the program quoted when its path has spaces, split
# the way Windows would.
re='^("([^"]+)"|([^ "]+)) /U "([^"]+)" /S$'
[[ $quiet =~ $re ]] || fail "no quiet uninstall command in $entry: '$quiet'"
uninstaller=${BASH_REMATCH[2]}${BASH_REMATCH[3]}
unix_uninstaller=$WINEPREFIX/drive_c/$(echo "${uninstaller#[Cc]:\\}" | tr '\\' /)
[ -e "$unix_uninstaller" ] || fail "the entry's uninstaller $uninstaller is not there"
rc=0
wine "$uninstaller" /U "${BASH_REMATCH[4]}" /S "LOG=$(winpath "$root/uninstall.log")" || rc=$?
if [ $rc -ne 0 ]; then
  cat "$root/uninstall.log" 2>/dev/null
  fail "the quiet uninstall ended with exit code $rc"
fi
# A running program cannot delete its own file: a helper takes the
# uninstaller away a moment after the uninstall has ended.
for _ in $(seq 100); do
  [ -e "$unix_uninstaller" ] || [ -e "$dest" ] || break
  sleep 0.1
done
[ ! -e "$dest" ] || { ls -R "$dest"; fail "the product's folder is still there"; }
[ ! -e "$unix_uninstaller" ] || fail "the uninstaller $uninstaller is still there"
if wine reg query "$entry" >/dev/null 2>&1; then fail "the uninstall entry is still there"; fi
echo "signed package installed and removed"
