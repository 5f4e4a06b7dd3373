#!/bin/sh
# The Windows zip holds Pellwick.exe with the engine it carries beside it, the licence, and
# the notices with libmd's copyright as the source the engine was built from states it. Given
# the certificate the build signs with, osslsigncode must accept the signatures of the zip's
# Pellwick.exe and md5.dll and of the installer against it.
#   package.sh <build tree> <engine md5.dll> <LICENSE> <work folder> [<PKCS#12 file> [<password file>]]
set -eu
build=$1
engine=$2
licence=$3
out=$4
pfx=${5:-}
rm -rf "$out"
mkdir -p "$out/unpacked"
cpack --config "$build/CPackConfig.cmake" -B "$out" >/dev/null
zip=$(ls "$out"/Pellwick-*.zip)
(cd "$out/unpacked" && cmake -E tar xf "$zip")
top=$out/unpacked/$(ls "$out/unpacked")
[ "$(ls "$top" | LC_ALL=C sort | tr '\n' ' ')" = "LICENSE.txt Pellwick.exe THIRD-PARTY-NOTICES.txt md5.dll " ] || {
  echo "unexpected content: $(ls "$top")" >&2; exit 1; }
cmp "$top/md5.dll" "$engine"
cmp "$top/Pellwick.exe" "$build/bin/Pellwick.exe"
cmp "$top/LICENSE.txt" "$licence"
cmp "$top/THIRD-PARTY-NOTICES.txt" "$build/packaging/THIRD-PARTY-NOTICES.txt"
copying=$build/libmd/src/COPYING
lines=$(wc -l < "$copying")
tail -n "$lines" "$top/THIRD-PARTY-NOTICES.txt" | cmp - "$copying" || {
  echo "the notices do not end with libmd's COPYING" >&2; exit 1; }

if [ -n "$pfx" ]; then
  # The password as the build takes it: from the file, or else from PELLWICK_SIGN_PASS.
  if [ -n "${6:-}" ]; then pass=file:$6; else pass=env:PELLWICK_SIGN_PASS; fi
  openssl pkcs12 -in "$pfx" -passin "$pass" -nokeys -out "$out/signer.pem"
  for file in "$top/Pellwick.exe" "$top/md5.dll" "$out"/Pellwick-*-x64.msi; do
    osslsigncode verify -CAfile "$out/signer.pem" -in "$file" >"$out/verify.log" 2>&1 || {
      cat "$out/verify.log" >&2; echo "the signature of $(basename "$file") does not verify" >&2; exit 1; }
  done
fi
echo "$(basename "$zip"): Pellwick.exe, md5.dll, the licence and libmd's notice"
