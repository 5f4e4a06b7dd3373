#!/usr/bin/env bash
# Builds the release twice from the commit checked out here, in two throwaway clones at paths of
# different lengths, one after the other, under different umasks, locales and time zones, and
# fails unless both made the same bytes: the packages, the source tarball and the checksum
# lists of each platform, Pellwick.exe and md5.dll. diffoscope says how any two differ (without
# it, the differing files are named). The first build signs its lists with a throwaway OpenPGP
# key; in both, sha256sum -c, md5sum -c and gpg --verify must accept them, and nothing may carry
# an Authenticode signature, as no certificate was given.
set -euo pipefail
source=$(git -C "$(dirname "$0")" rev-parse --show-toplevel)
commit=$(git -C "$source" rev-parse HEAD)
work=$(mktemp -d)
export GNUPGHOME=$work/gnupg
cleanup() {
  gpgconf --kill gpg-agent 2>/dev/null || true
  rm -rf "$work"
}
trap cleanup EXIT
fail() { echo "reproducible: $*" >&2; exit 1; }
# Nothing from the caller's environment may sign these builds or fix their time.
unset SOURCE_DATE_EPOCH PELLWICK_SIGN_PFX PELLWICK_SIGN_PASS PELLWICK_SIGN_PASS_FILE PELLWICK_GPG_KEY

mkdir -m 700 "$GNUPGHOME"
gpg --batch --passphrase '' --quick-gen-key 'Pellwick release test <release@pellwick.invalid>' ed25519 sign 1d 2>/dev/null
key=$(gpg --batch --with-colons --list-keys 2>/dev/null | awk -F: '$1 == "fpr" { print $10; exit }')
[ -n "$key" ] || fail "gpg made no key"

# build <clone> <umask> <locale> <time zone> [VARIABLE=value...]: the packages of both platforms
# from a clone of the commit, with only what they need (no tests).
build() {
  local clone=$1 mask=$2 locale=$3 zone=$4
  shift 4
  git clone -q --no-checkout "$source" "$clone"
  git -C "$clone" checkout -q "$commit"
  (
    cd "$clone"
    umask "$mask"
    export LC_ALL=$locale TZ=$zone "$@"
    for preset in linux windows; do
      cmake --preset "$preset" -DPELLWICK_TESTS=OFF >"build-$preset.log" 2>&1 &&
        cmake --build --preset "$preset" -j 2 --target package >>"build-$preset.log" 2>&1 ||
        { cat "build-$preset.log" >&2; fail "the $preset packages of $clone could not be made"; }
    done
  )
}
first=$work/1
second=$work/second-build-in-a-folder-with-a-longer-name
build "$first" 022 C UTC PELLWICK_GPG_KEY="$key"
build "$second" 077 C.UTF-8 NPT-5:45

differ=()
for platform in linux windows; do
  packages=$platform/package
  (cd "$first/build/$packages" && sha256sum --quiet -c SHA256SUMS && md5sum --quiet -c MD5SUMS &&
    gpg --batch --quiet --verify SHA256SUMS.asc SHA256SUMS 2>/dev/null) || fail "$packages: the lists do not check"
  (cd "$second/build/$packages" && sha256sum --quiet -c SHA256SUMS && md5sum --quiet -c MD5SUMS) ||
    fail "$packages: the lists do not check"
  [ ! -e "$second/build/$packages/SHA256SUMS.asc" ] || fail "$packages: signed without a key"
  names=$(sed 's/^[0-9a-f]*  //' "$first/build/$packages/SHA256SUMS" | tr '\n' ' ')
  case $platform:$names in
    linux:"pellwick-"*".tar.gz pellwick_"*".deb " | windows:"Pellwick-"*".zip Pellwick-"*".msi pellwick-"*".tar.gz ") ;;
    *) fail "$packages: unexpected packages: $names" ;;
  esac
  for name in $names SHA256SUMS MD5SUMS; do
    cmp -s "$first/build/$packages/$name" "$second/build/$packages/$name" || differ+=("$packages/$name")
  done
done
for image in windows/bin/Pellwick.exe windows/engine/md5.dll; do
  cmp -s "$first/build/$image" "$second/build/$image" || differ+=("$image")
done
# Unsigned: no certificate table in the images, no signature stream in the installer.
for image in windows/bin/Pellwick.exe windows/engine/md5.dll; do
  x86_64-w64-mingw32-objdump -p "$first/build/$image" | grep -E 'Entry 4 0+ 0+ Security Directory' >/dev/null ||
    fail "$image is signed, though no certificate was given"
done
if msiinfo streams "$first/build/windows/package/"Pellwick-*-x64.msi | grep DigitalSignature >/dev/null; then
  fail "the installer is signed, though no certificate was given"
fi

if [ ${#differ[@]} -gt 0 ]; then
  echo "reproducible: two builds of $commit differ in: ${differ[*]}" >&2
  for file in "${differ[@]}"; do
    if command -v diffoscope >/dev/null; then
      # A compressed container that differs inside gives megabytes; the start says what differs.
      { diffoscope --text - "$first/build/$file" "$second/build/$file" || true; } | head -n 300 >&2
    else
      cmp "$first/build/$file" "$second/build/$file" >&2 || true
    fi
  done
  exit 1
fi
echo "reproducible: two builds of $commit made the same packages, lists, Pellwick.exe and md5.dll"
