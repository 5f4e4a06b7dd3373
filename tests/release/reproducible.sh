#!/usr/bin/env bash
# Builds the release twice from the commit checked out here, in throwaway clones at paths of
# different lengths, one after the other, under other umasks, locales and time zones; fails
# unless both made the same packages, source tarballs, checksum lists, Pellwick.exe, md5.dll and
# gpgv.exe (the Windows release also holds gpgv.exe's Debian source packages, in the lists),
# with diffoscope's account of any difference. The lists must pass sha256sum -c, md5sum -c and
# (signed by a throwaway key in the first build) gpg --verify; nothing may be Authenticode-signed.
set -euo pipefail
source=$(git -C "$(dirname "$0")" rev-parse --show-toplevel)
commit=$(git -C "$source" rev-parse HEAD)
work=$(mktemp -d)
export GNUPGHOME=$work/gnupg
trap 'gpgconf --kill gpg-agent 2>/dev/null; rm -rf "$work"' EXIT
fail() { echo "reproducible: $*" >&2; exit 1; }
# Nothing from the caller's environment may sign these builds or fix their time.
unset SOURCE_DATE_EPOCH PELLWICK_SIGN_PFX PELLWICK_SIGN_PASS PELLWICK_SIGN_PASS_FILE PELLWICK_GPG_KEY

mkdir -m 700 "$GNUPGHOME"
gpg --batch --passphrase '' --quick-gen-key 'Pellwick release test <release@pellwick.invalid>' ed25519 sign 1d 2>/dev/null
key=$(gpg --batch --with-colons --list-keys 2>/dev/null | awk -F: '$1 == "fpr" { print $10; exit }')

# build <clone> <umask> <locale> <time zone> [VARIABLE=value...]: both platforms' packages, no tests.
build() {
  git clone -q --no-checkout "$source" "$1"
  git -C "$1" checkout -q "$commit"
  (
    cd "$1"
    umask "$2"
    export LC_ALL=$3 TZ=$4 "${@:5}"
    for preset in linux windows; do
      { cmake --preset $preset -DPELLWICK_TESTS=OFF && cmake --build --preset $preset -j 2 --target package; } \
        >"$preset.log" 2>&1 || { cat "$preset.log" >&2; fail "$1: the $preset packages could not be made"; }
    done
  )
}
first=$work/1
second=$work/second-build-in-a-folder-with-a-longer-name
build "$first" 022 C UTC PELLWICK_GPG_KEY="$key"
build "$second" 077 C.UTF-8 NPT-5:45

differ=()
for packages in linux/package windows/package; do
  for tree in "$first" "$second"; do
    (cd "$tree/build/$packages" && sha256sum --quiet -c SHA256SUMS && md5sum --quiet -c MD5SUMS) ||
      fail "$tree/build/$packages: the lists do not check"
  done
  gpg --batch --quiet --verify "$first/build/$packages/"SHA256SUMS{.asc,} 2>/dev/null || fail "$packages: bad signature"
  names=$(sed 's/^[0-9a-f]*  //' "$first/build/$packages/SHA256SUMS" | tr '\n' ' ')
  [[ $names =~ ^(pellwick-.*\.tar\.gz\ pellwick_.*\.deb|Pellwick-.*\.zip\ Pellwick-.*\.msi\ ((gnupg2|libgcrypt20|libgpg-error)_[^ ]+\ )+pellwick-.*\.tar\.gz)\ $ ]] ||
    fail "$packages: unexpected packages: $names"
  for name in $names SHA256SUMS MD5SUMS; do
    cmp -s "$first/build/$packages/$name" "$second/build/$packages/$name" || differ+=("$packages/$name")
  done
done
for image in windows/bin/Pellwick.exe windows/engine/md5.dll windows/bin/gpgv.exe; do
  cmp -s "$first/build/$image" "$second/build/$image" || differ+=("$image")
  # Unsigned: an empty certificate table.
  x86_64-w64-mingw32-objdump -p "$first/build/$image" | grep -E 'Entry 4 0+ 0+ Security Directory' >/dev/null ||
    fail "$image is signed, though no certificate was given"
done
[ -z "$(msiinfo streams "$first/build/windows/package/"*.msi | grep DigitalSignature)" ] ||
  fail "the installer is signed, though no certificate was given"

for file in "${differ[@]}"; do
  echo "reproducible: two builds of $commit differ in $file" >&2
  # A compressed container that differs inside gives megabytes; the start says what differs.
  { diffoscope --text - "$first/build/$file" "$second/build/$file" || true; } | head -n 300 >&2
done
[ ${#differ[@]} -eq 0 ] || exit 1
echo "reproducible: two builds of $commit made the same packages, lists, Pellwick.exe, md5.dll and gpgv.exe"
