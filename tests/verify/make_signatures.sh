#!/usr/bin/env bash
# Makes, with gpg in a throwaway home, one folder per kind of signed download, and the person's
# keyring (<out>/person/pubring.kbx) that holds the signer's key (whose fingerprint is in
# <out>/signer.fpr) and not the stranger's, and lists them in <out>/signatures.txt:
#   <folder> TAB <package> TAB <what gpg --verify says of the folder's signature: GOOD, BAD, NOKEY>
# One folder is nobody's here: hello's real .dsc (from the forms' folder), with its signer's key
# exported from Debian's debian-keyring into the person's keyring.
#   make_signatures.sh <out> <forms folder>
set -euo pipefail
out=$1 forms=$(cd "$2" && pwd)
rm -rf "$out"
mkdir -p "$out"
export LC_ALL=C
signer=$out/signer stranger=$out/stranger person=$out/person
mkdir -m 700 "$signer" "$stranger" "$person"
g() { home=$1; shift; gpg --homedir "$home" --batch --quiet --yes --passphrase '' --pinentry-mode loopback "$@"; }
g "$signer" --quick-gen-key 'Pellwick Signer (test key) <signer@pellwick.invalid>' ed25519 sign never 2>/dev/null
g "$stranger" --quick-gen-key 'Stranger <stranger@pellwick.invalid>' ed25519 sign never 2>/dev/null
g "$signer" --export | g "$person" --import 2>/dev/null
g "$signer" --with-colons --list-keys | awk -F: '$1 == "fpr" { print $10; exit }' > "$out/signer.fpr"

# oracle <folder> <signature> [<data>]: gpg --verify as the person, with their keyring only.
oracle() {
  local status
  status=$(cd "$out/$1" && gpg --homedir "$person" --batch --status-fd 1 --verify "${@:2}" 2>/dev/null || true)
  case $status in
    *BADSIG*) echo BAD ;; *VALIDSIG*) echo GOOD ;; *NO_PUBKEY*) echo NOKEY ;; *) echo "gpg said: $status" >&2; exit 1 ;;
  esac
}
row() {  # row <folder> <package> <signature> [<data>]
  local said
  said=$(oracle "$1" "${@:3}")
  printf '%s\t%s\t%s\n' "$out/$1" "$2" "$said" >> "$out/signatures.txt"
}
folder() {  # folder <name>: a folder of its own with foo.tar.gz in it
  mkdir -p "$out/$1"
  printf 'a release of %s\n' "$1" > "$out/$1/foo.tar.gz"
  cd "$out/$1"
}

# listed <folder> <list> <signer> <gpg's options...>: a list of foo.tar.gz's digest, signed
listed() {
  folder "$1"
  sha256sum foo.tar.gz > "$2"
  g "$3" "${@:4}" "$2"
  row "$1" foo.tar.gz "${@: -1}" "$2"
}
listed detached-asc SHA256SUMS "$signer" --armor --detach-sign --output SHA256SUMS.asc
listed detached-sig SHA256SUMS "$signer" --detach-sign --output SHA256SUMS.sig
listed detached-gpg sha256sum.txt "$signer" --detach-sign --output sha256sum.txt.gpg  # Linux Mint's
listed unknown-signer SHA256SUMS "$stranger" --armor --detach-sign --output SHA256SUMS.asc
folder changed-after-signing
sha256sum foo.tar.gz > SHA256SUMS
g "$signer" --armor --detach-sign --output SHA256SUMS.asc SHA256SUMS
echo '# a line added since' >> SHA256SUMS
row changed-after-signing foo.tar.gz SHA256SUMS.asc SHA256SUMS

folder clearsigned
sha256sum foo.tar.gz | g "$signer" --clearsign --output CHECKSUM
row clearsigned foo.tar.gz CHECKSUM
# Text after the signature: unsigned, it counts for nothing, whatever digest it gives.
folder clearsigned-text-after
sha256sum foo.tar.gz | g "$signer" --clearsign --output CHECKSUM
printf '%064d  foo.tar.gz\n' 0 >> CHECKSUM
row clearsigned-text-after foo.tar.gz CHECKSUM

# The package's own signature, as GNU ships its tarballs: good, changed since, by a stranger.
for case in package-sig:signer:.sig package-sig-changed:signer:.sig package-asc-unknown:stranger:.asc; do
  IFS=: read -r name who extension <<<"$case"
  folder "$name"
  g "${!who}" --armor --detach-sign --output "foo.tar.gz$extension" foo.tar.gz
  [ "$name" != package-sig-changed ] || echo 'changed' >> foo.tar.gz
  row "$name" foo.tar.gz "foo.tar.gz$extension" foo.tar.gz
done

# hello's .dsc, signed by its Debian maintainer, whose key Debian's keyring holds.
mkdir "$out/dsc"
cp "$forms"/dsc/* "$out/dsc/"
dsc=$(cd "$out/dsc" && ls hello_*.dsc)
fingerprint=$(gpgv --status-fd 1 --keyring /usr/share/keyrings/debian-keyring.gpg "$out/dsc/$dsc" 2>/dev/null |
  awk '$2 == "VALIDSIG" { print $NF }')
[ -n "$fingerprint" ] || { echo "debian-keyring does not hold the key of $dsc" >&2; exit 1; }
gpg --batch --quiet --no-default-keyring --keyring /usr/share/keyrings/debian-keyring.gpg --export "$fingerprint" |
  g "$person" --import 2>/dev/null
row dsc "$(cd "$out/dsc" && ls hello_*.orig.tar.gz)" "$dsc"
for home in "$signer" "$stranger" "$person"; do gpgconf --homedir "$home" --kill all 2>/dev/null || true; done
rm -rf "$signer" "$stranger" "$person"/S.* "$person"/private-keys-v1.d "$person"/*~
