#!/bin/sh
# Starts Pellwick.exe with a package named in its setting, so the window opens showing a
# digest, and saves pictures of the screen and of the window. With a verdict (match or
# mismatch) it names instead a SHA256SUMS on the command line that lists the package with its
# SHA-256 or with one digit changed.
#   screenshot.sh <Pellwick.exe> <output folder> [match|mismatch]
set -eu
exe=$1
out=$2
verdict=${3:-}
rm -rf "$out"
mkdir -p "$out/program"
cp "$exe" "$out/program/"
# The files lie on the throwaway prefix's drive C:, so that the picture shows a path such as a
# person's own would be.
data=$WINEPREFIX/drive_c/Downloads
rm -rf "$data"
mkdir -p "$data"
head -c 300000 /dev/urandom > "$data/pellwick-1.0.tar.gz"
package=$(winepath -w "$data/pellwick-1.0.tar.gz")
wine reg add 'HKCU\Software\Quorrel\Settings' /v QRL_Dir /t REG_SZ /d "$package" /f >/dev/null 2>&1
expected=$(md5sum "$data/pellwick-1.0.tar.gz" | cut -c1-32)
listed=$(sha256sum "$data/pellwick-1.0.tar.gz" | cut -c1-64)
if [ "$verdict" = mismatch ]; then
  last=$(printf %s "$listed" | cut -c64)
  listed=$(printf %s "$listed" | cut -c1-63)$([ "$last" = 0 ] && echo 1 || echo 0)
fi
set --
if [ -n "$verdict" ]; then
  printf '%s  pellwick-1.0.tar.gz\r\n' "$listed" > "$data/SHA256SUMS"
  set -- "$(winepath -w "$data/SHA256SUMS")"
fi
wine "$out/program/Pellwick.exe" "$@" >/dev/null 2>&1 &
app=$!
trap 'kill $app 2>/dev/null || true; wine reg delete "HKCU\Software\Quorrel\Settings" /v QRL_Dir /f >/dev/null 2>&1 || true' EXIT
window=""
i=0
while [ -z "$window" ]; do
  i=$((i + 1)); [ $i -lt 200 ] || { echo "the window did not appear" >&2; exit 1; }
  sleep 0.1
  window=$(xwininfo -root -tree | awk '/"Pellwick/ {print $1; exit}')
done
sleep 0.5  # let it paint
import -window root "$out/shot.png"
import -window "$window" "$out/window.png"
expected=$(printf %s "$expected" | tr a-f A-F)
echo "saved $out/shot.png and $out/window.png; the window should show $expected"
