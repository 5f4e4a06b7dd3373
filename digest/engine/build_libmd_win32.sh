#!/bin/sh
# Fetches libmd's Debian source package (verified by apt against the signed index) into
# $1 and cross-builds its static library for Windows. Leaves $1/libmd.a and $1/include.
# The machine's apt sources name binary packages only, so a private sources list made from
# the machine's own Debian entry asks for the source; the system's lists stay untouched.
set -eu
out=$1
host=$2
mkdir -p "$out/lists/partial"
cd "$out"

if [ ! -f libmd.a ]; then
  awk 'BEGIN{RS="";FS="\n"} NR==1{for(i=1;i<=NF;i++){l=$i; if(l~/^Types:/)l="Types: deb-src";
       if(l~/^Suites:/){split(l,a," "); l="Suites: " a[2]} print l} exit}' \
      /etc/apt/sources.list.d/debian.sources > src.sources
  apt="apt-get -qq -o Dir::Etc::sourcelist=$out/src.sources -o Dir::Etc::sourceparts=- -o Dir::State::Lists=$out/lists"
  ls libmd_*.orig.tar.* >/dev/null 2>&1 || { $apt update && $apt source --download-only libmd; }
  rm -rf src && mkdir src
  tar -xf "$(ls libmd_*.orig.tar.* | head -n 1)" -C src --strip-components=1
  # No build folder in the objects, so that md5.dll is the same wherever it is built.
  (cd src && ./configure -q --host="$host" --enable-static --disable-shared CFLAGS="-O2 -ffile-prefix-map=$out=." \
    >/dev/null && make -s -j2 >/dev/null)
  rm -rf include && mkdir include && cp src/include/md5.h include/
  cp src/src/.libs/libmd.a libmd.a.tmp && mv libmd.a.tmp libmd.a
fi
