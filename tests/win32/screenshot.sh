#!/bin/sh
# Starts Pellwick.exe with a package named in its setting, so the window opens showing a
# digest, and saves pictures of the screen and of the window.
#   screenshot.sh <Pellwick.exe> <output folder>
set -eu
exe=$1
out=$2
rm -rf "$out"
mkdir -p "$out/program"
cp "$exe" "$out/program/"
head -c 300000 /dev/urandom > "$out/pellwick-1.0.tar.gz"
package=$(winepath -w "$out/pellwick-1.0.tar.gz")
wine reg add 'HKCU\Software\Quorrel\Settings' /v QRL_Dir /t REG_SZ /d "$package" /f >/dev/null 2>&1
wine "$out/program/Pellwick.exe" >/dev/null 2>&1 &
app=$!
trap 'kill $app 2>/dev/null || true; wine reg delete "HKCU\Software\Quorrel\Settings" /v QRL_Dir /f >/dev/null 2>&1 || true' EXIT
window=""
i=0
while [ -z "$window" ]; do
  i=$((i + 1)); [ $i -lt 200 ] || { echo "the window did not appear" >&2; exit 1; }
  sleep 0.1
  window=$(xwininfo -root -tree | awk '/"Pellwick"/ {print $1; exit}')
done
sleep 0.5  # let it paint
import -window root "$out/shot.png"
import -window "$window" "$out/window.png"
expected=$(md5sum "$out/pellwick-1.0.tar.gz" | cut -c1-32 | tr a-f A-F)
echo "saved $out/shot.png and $out/window.png; the window should show $expected"
