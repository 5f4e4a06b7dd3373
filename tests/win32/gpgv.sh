#!/bin/sh
# The shipped gpgv.exe, started under Wine as the program starts it (a private empty home, the
# keyring named, status lines on stdout), checks what gpg makes: detached binary and armoured
# signatures and a clearsigned list, by an RSA and an Ed25519 key, against the exported keys and
# against gpg's own keybox; a changed file or list is a bad signature, an unknown key no
# signature. Each answer must be the expected one and the same as Debian's gpgv gives.
#   gpgv.sh <gpgv.exe> <work folder>
set -eu
exe=$1
out=$2
rm -rf "$out"
mkdir -p "$out/empty"
homes=$(mktemp -d)
trap 'for h in "$homes"/*; do GNUPGHOME=$h gpgconf --kill gpg-agent; done; rm -rf "$homes"' EXIT
fail() { echo "$*" >&2; exit 1; }
cd "$out"

# key <home> <name> <algorithm>: a throwaway signing key; prints its fingerprint.
key() {
  mkdir -p -m 700 "$homes/$1"
  GNUPGHOME=$homes/$1 gpg --batch --passphrase '' --quick-gen-key "$2 <$2@pellwick.invalid>" "$3" sign 1d 2>/dev/null
  GNUPGHOME=$homes/$1 gpg --batch --with-colons --fingerprint "$2@pellwick.invalid" | awk -F: '$1 == "fpr" { print $10; exit }'
}
# sign <home> <name> <gpg's arguments>...
sign() { home=$1 name=$2; shift 2; GNUPGHOME=$homes/$home gpg --batch --yes --local-user "$name@pellwick.invalid" "$@" 2>/dev/null; }
rsa=$(key signer rsa rsa2048)
ed=$(key signer ed ed25519)
stranger=$(key stranger stranger ed25519)
GNUPGHOME=$homes/signer gpg --batch --export >keys.gpg
cp "$homes/signer/pubring.kbx" pubring.kbx

sha256sum </dev/null | sed 's/-$/pellwick-1.0.0.1.tar.gz/' >SHA256SUMS
sed 's/pellwick/pellwiCk/' SHA256SUMS >changed
sign signer rsa --output rsa.sig --detach-sign SHA256SUMS
sign signer ed --armor --output ed.asc --detach-sign SHA256SUMS
sign signer rsa --output list.asc --clearsign SHA256SUMS
sed '/^-----BEGIN PGP SIGNATURE/,$!s/pellwick/pellwiCk/' list.asc >changed.asc
sign stranger stranger --output stranger.sig --detach-sign SHA256SUMS

# keyring, signature, signed file (- for none), the status expected and the key it names
cases="
keys.gpg    rsa.sig      SHA256SUMS VALIDSIG  $rsa
keys.gpg    ed.asc       SHA256SUMS VALIDSIG  $ed
keys.gpg    list.asc     -          VALIDSIG  $rsa
pubring.kbx rsa.sig      SHA256SUMS VALIDSIG  $rsa
pubring.kbx ed.asc       SHA256SUMS VALIDSIG  $ed
pubring.kbx list.asc     -          VALIDSIG  $rsa
keys.gpg    rsa.sig      changed    BADSIG    $rsa
pubring.kbx ed.asc       changed    BADSIG    $ed
keys.gpg    changed.asc  -          BADSIG    $rsa
keys.gpg    stranger.sig SHA256SUMS NO_PUBKEY $stranger
"
# The status lines that say what was found (under Wine with CRLF).
lines() { grep -E '^\[GNUPG:\] (NEWSIG|GOODSIG|VALIDSIG|BADSIG|ERRSIG|NO_PUBKEY)' | tr -d '\r'; }
while read -r keyring signature signed status fingerprint; do
  [ -n "$keyring" ] || continue
  set -- "$signature"
  [ "$signed" = - ] || set -- "$@" "$signed"
  wine "$exe" --homedir "Z:$out/empty" --keyring "Z:$out/$keyring" --status-fd 1 "$@" >wine.out 2>wine.err &&
    code=0 || code=$?
  gpgv --homedir "$out/empty" --keyring "$out/$keyring" --status-fd 1 "$@" >debian.out 2>debian.err &&
    debian_code=0 || debian_code=$?
  what="$keyring $signature $signed"
  # VALIDSIG names the key's fingerprint, the others its long key ID.
  id=$fingerprint
  [ "$status" = VALIDSIG ] || id=$(echo "$fingerprint" | cut -c25-)
  lines <wine.out | grep -q "^\[GNUPG:\] $status $id" || {
    cat wine.out wine.err >&2; fail "$what: gpgv.exe did not answer $status $id"; }
  [ "$(lines <wine.out)" = "$(lines <debian.out)" ] || {
    diff debian.out wine.out >&2 || true; fail "$what: gpgv.exe and Debian's gpgv differ"; }
  if [ "$status" = VALIDSIG ]; then [ "$code" -eq 0 ]; else [ "$code" -ne 0 ]; fi &&
    [ "$code" -eq "$debian_code" ] || fail "$what: gpgv.exe exited $code, Debian's gpgv $debian_code"
done <<EOF
$cases
EOF
echo "gpgv.exe: $(echo "$cases" | grep -c .) signatures checked as Debian's gpgv checks them"
