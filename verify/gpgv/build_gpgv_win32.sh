#!/bin/sh
# Cross-builds GnuPG's gpgv.exe for Windows from Debian's gnupg2 source package, as Debian builds
# its gpgv-win32 (debian/rules, override_dh_auto_build-indep) but for $2 instead of i686, and
# linked statically, so that it needs only the system's own DLLs:
#   build_gpgv_win32.sh <out folder> <host triplet> <gpgv.exe to write>
# Into <out>/release it puts every file of the three source packages that the image is made
# from: gnupg2, and libgcrypt20 and libgpg-error in the versions of the MinGW libraries it
# links; the release ships them as its corresponding source, and the notices take the licences
# from their unpacked trees (<out>/gnupg2, <out>/libgcrypt20, <out>/libgpg-error).
set -eu
out=$1
host=$2
image=$3
sysroot=/usr/$host
mkdir -p "$out/lists/partial" "$out/downloads"
cd "$out"

# apt checks every file against the archive's signed index. The machine's apt sources name
# binary packages only, so a private list, every Debian entry of the machine's own made deb-src,
# asks for the sources; the system's lists stay untouched. Downloads are kept, so that a
# rebuild fetches nothing.
sed 's/^Types:.*/Types: deb-src/' /etc/apt/sources.list.d/debian.sources >src.sources
apt="apt-get -qq -o Dir::Etc::sourcelist=$out/src.sources -o Dir::Etc::sourceparts=- -o Dir::State::Lists=$out/lists"
updated=
# fetch <source package> <version, or empty for the newest>: its .dsc, then every file it lists.
fetch() {
  dsc=$(ls downloads/"$1"_${2:-*}.dsc 2>/dev/null | tail -n 1)
  if [ -z "$dsc" ]; then
    [ -n "$updated" ] || { $apt update; updated=1; }
    (cd downloads && $apt source --download-only "$1${2:+=$2}" >../apt.log 2>&1) || { cat apt.log >&2; exit 1; }
    dsc=$(ls downloads/"$1"_${2:-*}.dsc | tail -n 1)
    [ -n "$dsc" ] || { echo "apt-get fetched no $1 ${2:-}" >&2; exit 1; }
  fi
  # No versions side by side in the release: a source package is its .dsc and what it lists.
  cp "$dsc" release/
  for name in $(awk '/^Files:/ { f = 1; next } /^[^ ]/ { f = 0 } f && NF == 3 { print $3 }' "$dsc"); do
    cp "downloads/$name" release/
  done
  rm -rf "$1"
  dpkg-source -q --no-copy -x "$dsc" "$1" >/dev/null 2>&1 || { echo "dpkg-source could not unpack $dsc" >&2; exit 1; }
}
# The source version of the MinGW library that gpgv.exe links.
linked() { dpkg-query -W -f='${source:Version}' "$1"; }
rm -rf release && mkdir release
fetch gnupg2 ""
fetch libgcrypt20 "$(linked libgcrypt-mingw-w64-dev)"
fetch libgpg-error "$(linked libgpg-error-mingw-w64-dev)"

# Debian's patches are applied (dpkg-source) and its build regenerates the autotools files
# (dh --with=autoreconf), so that the patched Makefile.am and configure.ac count.
(cd gnupg2 && autoreconf -fi >/dev/null 2>&1) || { echo "autoreconf failed in $out/gnupg2" >&2; exit 1; }

# Debian's options for gpgv-win32, without compression: gpgv reads the detached and clearsigned
# signatures that publishers put beside their files, which are never compressed (Debian's
# --with-zlib names a folder that does not exist, and its --enable-gpg2-is-gpg is unknown to
# configure). No build time goes into the image (no --enable-build-timestamp), no folder of
# this build (-ffile-prefix-map), no link time (--no-insert-timestamp); -s strips as it links,
# where strip afterwards would write its own time into the header.
rm -rf build && mkdir build && cd build
flags="-g -Os -ffile-prefix-map=$out=."
unneeded="gpgtar bzip2 gpgsm scdaemon dirmngr doc tofu exec ldap gnutls sqlite libdns zip"
with=""
for lib in libgpg-error libgcrypt libassuan ksba npth; do with="$with --with-$lib-prefix=$sysroot"; done
# shellcheck disable=SC2086 # lists of options
LDFLAGS="-Xlinker --no-insert-timestamp -static -s" CFLAGS="$flags" CPPFLAGS="" \
  ../gnupg2/configure -q --host="$host" --prefix="$sysroot" $(printf ' --disable-%s' $unneeded) $with \
  >configure.log 2>&1 || { cat configure.log >&2; exit 1; }
# Only what gpgv links (g10/Makefile.am: gpgv_LDADD), as Debian's build makes it.
for step in common:libcommon.a common:libgpgrl.a kbx:libkeybox.a regexp:libregexp.a g10:gpgv.exe; do
  make -s -j2 -C "${step%%:*}" "${step#*:}" >>make.log 2>&1 || { tail -n 40 make.log >&2; exit 1; }
done
cp g10/gpgv.exe "$image.tmp" && mv "$image.tmp" "$image"
