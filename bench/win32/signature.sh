#!/bin/sh
# What a list's signature adds to the verdict under Wine: a 1 MiB MD5SUMS signed by a throwaway
# key with gpg, checked by the gpgv.exe the program ships, against the same list unsigned.
#   signature.sh <signature.exe> <gpgv.exe> <work folder>
set -eu
exe=$1 gpgv=$2 work=$3/signature
rm -rf "$work"
mkdir -p "$work/signed" "$work/unsigned" "$work/gnupg"
chmod 700 "$work/gnupg"
head -c 65536 /dev/urandom > "$work/signed/project-1.0.tar.gz"
i=0
: > "$work/signed/MD5SUMS"
while [ "$(stat -c %s "$work/signed/MD5SUMS")" -lt 1048000 ]; do
  i=$((i + 1))
  printf '%032x  pool/project-%05d_1.0.tar.gz\n' "$i" "$i" >> "$work/signed/MD5SUMS"
done
md5sum "$work/signed/project-1.0.tar.gz" | sed 's|  .*/|  |' >> "$work/signed/MD5SUMS"
cp "$work/signed/"* "$work/unsigned/"
g() { gpg --homedir "$work/gnupg" --batch --quiet --yes --passphrase '' --pinentry-mode loopback "$@"; }
g --quick-gen-key 'Bench Signer <bench@pellwick.invalid>' ed25519 sign never 2>/dev/null
g --armor --detach-sign --output "$work/signed/MD5SUMS.asc" "$work/signed/MD5SUMS"
g --output "$work/keyring.gpg" --export
gpgconf --homedir "$work/gnupg" --kill all 2>/dev/null || true
export WINEPREFIX=$3/wine-prefix WINEDEBUG=-all WINEDLLOVERRIDES="mscoree,mshtml="
[ -d "$WINEPREFIX" ] || wineboot -i >/dev/null 2>&1
w() { winepath -w "$1"; }
wine "$exe" "$(w "$work/signed")" "$(w "$work/unsigned")" "$(w "$work/keyring.gpg")" "$(w "$gpgv")" 15 | tr -d '\r'
wineserver -k 2>/dev/null || true
echo "target: none under Wine (on Linux: at most 20 ms)"
