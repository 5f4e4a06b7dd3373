#!/bin/sh
# The Windows zip holds Pellwick.exe with the engine it carries beside it.
#   package.sh <build tree> <engine md5.dll> <work folder>
set -eu
build=$1
engine=$2
out=$3
rm -rf "$out"
mkdir -p "$out/unpacked"
cpack -G ZIP --config "$build/CPackConfig.cmake" -B "$out" >/dev/null
zip=$(ls "$out"/Pellwick-*.zip)
(cd "$out/unpacked" && cmake -E tar xf "$zip")
top=$(ls "$out/unpacked")
[ "$(ls "$out/unpacked/$top" | sort | tr '\n' ' ')" = "Pellwick.exe md5.dll " ] || {
  echo "unexpected content: $(ls "$out/unpacked/$top")" >&2; exit 1; }
cmp "$out/unpacked/$top/md5.dll" "$engine"
cmp "$out/unpacked/$top/Pellwick.exe" "$build/bin/Pellwick.exe"
echo "$(basename "$zip"): Pellwick.exe and md5.dll"
