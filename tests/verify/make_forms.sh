#!/usr/bin/env bash
# Makes, with the tools publishers run, one folder per checksum-file form, each with a package
# and the file that tool wrote for it, and lists them in <out>/forms.txt, one line a form:
#   <folder> TAB <package> TAB <checksum file> TAB <algorithm the caption names> TAB <verdict>
# where the verdict is "matches", or "DOES NOT MATCH" for a folder made to disagree.
# The Debian source package's form is a real one: hello's .dsc and .orig.tar.gz, fetched as the
# build fetches libmd's source (apt checks them against the archive's signed index) into <cache>.
#   make_forms.sh <out> <cache>
set -euo pipefail
out=$1 cache=$2
rm -rf "$out"
mkdir -p "$out" "$cache/lists/partial"
export LC_ALL=C GNUPGHOME=$out/gnupg
mkdir -m 700 "$GNUPGHOME"

# A throwaway key for the clearsigned lists.
gpg --batch --quiet --passphrase '' --pinentry-mode loopback \
  --quick-gen-key 'Pellwick Test <test@pellwick.invalid>' ed25519 sign never 2>/dev/null

form() {  # form <folder> <checksum file> <algorithm> [verdict]; the folder's package is foo.tar.gz
  printf '%s\t%s\t%s\t%s\t%s\n' "$out/$1" foo.tar.gz "$2" "$3" "${4:-matches}" >> "$out/forms.txt"
}
off() {  # off <file>: its first digest with the last digit changed
  sed -E '1s/([0-9a-f])( |$)/\1~\2/; 1s/0~/1/; 1s/[1-9a-f]~/0/' "$1"
}
package() {  # package <folder>: a folder of its own with foo.tar.gz in it
  mkdir -p "$out/$1"
  printf 'a release of %s\n' "$1" > "$out/$1/foo.tar.gz"
  cd "$out/$1"
}

package sha256sums
sha256sum foo.tar.gz > SHA256SUMS
form sha256sums SHA256SUMS SHA-256

package sha512sums-tagged
sha512sum --tag foo.tar.gz > SHA512SUMS
form sha512sums-tagged SHA512SUMS SHA-512

package name-sha1
sha1sum foo.tar.gz > foo.tar.gz.sha1
form name-sha1 foo.tar.gz.sha1 SHA-1

# Its MD5 agrees, its SHA-256 does not: a mismatch, named by the SHA-256 list.
package md5-agrees-sha256-does-not
md5sum foo.tar.gz > MD5SUMS
sha256sum foo.tar.gz > right && off right > SHA256SUMS && rm right
md5sum -c --quiet MD5SUMS && ! sha256sum -c --quiet SHA256SUMS >/dev/null 2>&1
form md5-agrees-sha256-does-not SHA256SUMS SHA-256 'DOES NOT MATCH'

package clearsigned
sha256sum --tag foo.tar.gz > list
{ echo "# foo.tar.gz: $(stat -c %s foo.tar.gz) bytes"; cat list; echo '-- a line that starts with a dash'; } > body
gpg --batch --quiet --clearsign --output Fedora-Pellwick-1.0-x86_64-CHECKSUM body
# The reference reading: the signed body, as GnuPG gives it back, is what sha256sum -c checks.
gpg --batch --quiet --decrypt Fedora-Pellwick-1.0-x86_64-CHECKSUM 2>/dev/null | sha256sum -c --quiet - 2>/dev/null
rm list body
form clearsigned Fedora-Pellwick-1.0-x86_64-CHECKSUM SHA-256

package gpg-print-md
gpg --print-md SHA512 foo.tar.gz > foo.tar.gz.sha512
form gpg-print-md foo.tar.gz.sha512 SHA-512

package openssl
openssl dgst -sha256 foo.tar.gz > foo.tar.gz.sha256
form openssl foo.tar.gz.sha256 SHA-256

package checksums
sha256sum foo.tar.gz > CHECKSUMS
form checksums CHECKSUMS SHA-256

package node
{ sha256sum foo.tar.gz; echo "0000000000000000000000000000000000000000000000000000000000000000  other.tar.gz"; } > SHASUMS256.txt
form node SHASUMS256.txt SHA-256

package goreleaser
sha256sum foo.tar.gz > pellwick_1.0_checksums.txt
form goreleaser pellwick_1.0_checksums.txt SHA-256

# PowerShell's (Get-FileHash F).Hash | Out-File F.sha256: UTF-16 with its mark, upper case, CRLF.
for encoding in UTF-16LE UTF-16BE UTF-8; do
  package "powershell-$encoding"
  case $encoding in UTF-16LE) mark='\xFF\xFE' ;; UTF-16BE) mark='\xFE\xFF' ;; UTF-8) mark='\xEF\xBB\xBF' ;; esac
  { printf "$mark"; sha1sum foo.tar.gz | cut -c1-40 | tr a-f A-F | sed 's/$/\r/' | iconv -f UTF-8 -t "$encoding"; } \
    > foo.tar.gz.sha1
  form "powershell-$encoding" foo.tar.gz.sha1 SHA-1
done

cd "$cache"
if ! ls hello_*.dsc >/dev/null 2>&1; then
  awk 'BEGIN{RS="";FS="\n"} NR==1{for(i=1;i<=NF;i++){l=$i; if(l~/^Types:/)l="Types: deb-src";
       if(l~/^Suites:/){split(l,a," "); l="Suites: " a[2]} print l} exit}' \
      /etc/apt/sources.list.d/debian.sources > src.sources
  apt="apt-get -qq -o Dir::Etc::sourcelist=$cache/src.sources -o Dir::Etc::sourceparts=- -o Dir::State::Lists=$cache/lists"
  $apt update && $apt source --download-only hello 2>/dev/null
fi
mkdir "$out/dsc"
cp hello_*.dsc hello_*.orig.tar.gz "$out/dsc/"
# Its SHA-256 field for the .orig.tar.gz is what sha256sum -c checks.
(cd "$out/dsc" && awk '/^Checksums-Sha256:/ { f = 1; next } /^[^ ]/ { f = 0 }
                      f && $3 ~ /orig\.tar\.gz$/ { print $1 "  " $3 }' hello_*.dsc | sha256sum -c --quiet -)
printf '%s\t%s\t%s\t%s\tmatches\n' "$out/dsc" "$(basename hello_*.orig.tar.gz)" "$(basename hello_*.dsc)" SHA-256 \
  >> "$out/forms.txt"
rm -rf "$GNUPGHOME"
