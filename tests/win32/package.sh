#!/bin/sh
# The Windows zip holds Pellwick.exe with the engine it carries beside it, gpgv.exe, the
# licence, and the notices with libmd's copyright and GnuPG's, libgcrypt's and libgpg-error's
# copyright files and licences as the sources they were built from have them; the release folder
# holds those three Debian source packages whole, as dpkg-source unpacks them, in the lists.
# Given the certificate the build signs with, osslsigncode must accept the signatures of the
# zip's Pellwick.exe, md5.dll and gpgv.exe and of the installer against it.
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
fail() { echo "$*" >&2; exit 1; }
[ "$(ls "$top" | LC_ALL=C sort | tr '\n' ' ')" = "LICENSE.txt Pellwick.exe THIRD-PARTY-NOTICES.txt gpgv.exe md5.dll " ] ||
  fail "unexpected content: $(ls "$top")"
cmp "$top/md5.dll" "$engine"
cmp "$top/Pellwick.exe" "$build/bin/Pellwick.exe"
cmp "$top/gpgv.exe" "$build/bin/gpgv.exe"
cmp "$top/LICENSE.txt" "$licence"
notices=$top/THIRD-PARTY-NOTICES.txt
cmp "$notices" "$build/packaging/THIRD-PARTY-NOTICES.txt"
# holds <file>: the notices carry the file's text whole.
holds() {
  lines=$(wc -l <"$1")
  for at in $(grep -n -F -x -- "$(head -n 1 "$1")" "$notices" | cut -d: -f1); do
    sed -n "$at,$((at + lines - 1))p" "$notices" | cmp -s - "$1" && return 0
  done
  return 1
}
for text in libmd/src/COPYING gpgv/gnupg2/debian/copyright gpgv/gnupg2/COPYING gpgv/gnupg2/COPYING.other \
  gpgv/libgcrypt20/debian/copyright gpgv/libgcrypt20/COPYING.LIB gpgv/libgcrypt20/LICENSES \
  gpgv/libgpg-error/debian/copyright gpgv/libgpg-error/COPYING.LIB; do
  holds "$build/$text" || fail "the notices lack $text"
done
(cd "$out" && sha256sum --quiet -c SHA256SUMS && md5sum --quiet -c MD5SUMS) || fail "the lists do not check"
for file in "$build"/gpgv/release/*; do
  name=$(basename "$file")
  cmp "$out/$name" "$file"
  grep -q -F -x "$(sha256sum "$file" | cut -c1-64)  $name" "$out/SHA256SUMS" || fail "SHA256SUMS lacks $name"
  grep -q -F -x "$(md5sum "$file" | cut -c1-32)  $name" "$out/MD5SUMS" || fail "MD5SUMS lacks $name"
done
for dsc in "$out"/gnupg2_*.dsc "$out"/libgcrypt20_*.dsc "$out"/libgpg-error_*.dsc; do
  dpkg-source -q --no-copy -x "$dsc" "$out/unpacked-source" >/dev/null 2>&1 || fail "$(basename "$dsc") does not unpack"
  rm -rf "$out/unpacked-source"
done

if [ -n "$pfx" ]; then
  # The password as the build takes it: from the file, or else from PELLWICK_SIGN_PASS.
  if [ -n "${6:-}" ]; then pass=file:$6; else pass=env:PELLWICK_SIGN_PASS; fi
  openssl pkcs12 -in "$pfx" -passin "$pass" -nokeys -out "$out/signer.pem"
  for file in "$top/Pellwick.exe" "$top/md5.dll" "$top/gpgv.exe" "$out"/Pellwick-*-x64.msi; do
    osslsigncode verify -CAfile "$out/signer.pem" -in "$file" >"$out/verify.log" 2>&1 || {
      cat "$out/verify.log" >&2; echo "the signature of $(basename "$file") does not verify" >&2; exit 1; }
  done
fi
echo "$(basename "$zip"): Pellwick.exe, md5.dll, gpgv.exe, the licence and the notices; gpgv.exe's sources beside it"
