#!/bin/sh
# Digest throughput under Wine against md5sum on the same 1 GiB file, in the same run; and the
# same for MD5 with a SHA-256 from one read, and a SHA-256 alone (Wine's CNG, plain C, not the
# CPU's SHA instructions as Windows' own uses) against openssl dgst -sha256.
#   throughput.sh <digest_throughput.exe> <work folder>
# Each side gets a warm-up pass, so both read from the page cache; the best of three counts.
set -eu
exe=$1
work=$2
mkdir -p "$work"
file=$work/throughput-1GiB.bin
if [ ! -f "$file" ] || [ "$(stat -c %s "$file")" -ne 1073741824 ]; then
  echo "writing a 1 GiB file of random bytes..."
  head -c 1073741824 /dev/urandom > "$file.tmp" && mv "$file.tmp" "$file"
fi
export WINEPREFIX=$work/wine-prefix WINEDEBUG=-all WINEDLLOVERRIDES="mscoree,mshtml="
[ -d "$WINEPREFIX" ] || wineboot -i >/dev/null 2>&1

now() { date +%s.%N; }
# best <command...>: the best of three timed runs after a warm-up, in seconds
best() {
  "$@" >/dev/null
  b=""
  for i in 1 2 3; do
    start=$(now)
    "$@" >/dev/null
    t=$(awk -v a="$start" -v b="$(now)" 'BEGIN { print b - a }')
    if [ -z "$b" ] || awk -v t="$t" -v b="$b" 'BEGIN { exit !(t < b) }'; then b=$t; fi
  done
  echo "$b"
}
md5=$(best md5sum "$file")
openssl=$(best openssl dgst -sha256 "$file")
expected=$(md5sum "$file" | cut -c1-32 | tr a-f A-F)
expected256=$(sha256sum "$file" | cut -c1-64 | tr a-f A-F)

# run <mode>: the digest(s) and the seconds of the best of four rounds under Wine
run() { wine "$exe" "$(winepath -w "$file")" 4 "$1" | tr -d '\r'; }
alone=$(run md5)
both=$(run md5+sha256)
sha=$(run sha256)
wineserver -k 2>/dev/null || true
seconds() { echo "$1" | awk '{ print $2 }'; }

awk -v m="$md5" -v o="$openssl" -v a="$(seconds "$alone")" -v b="$(seconds "$both")" -v s="$(seconds "$sha")" 'BEGIN {
  printf "md5sum:                       %.3f s  %.1f MiB/s\n", m, 1024 / m
  printf "openssl dgst -sha256:         %.3f s  %.1f MiB/s\n", o, 1024 / o
  printf "Pellwick (Wine), md5 alone:   %.3f s  %.1f MiB/s\n", a, 1024 / a
  printf "Pellwick (Wine), md5+sha256:  %.3f s  %.1f MiB/s\n", b, 1024 / b
  printf "Pellwick (Wine), sha256:      %.3f s  %.1f MiB/s\n", s, 1024 / s
  printf "throughput ratio, Pellwick under Wine / md5sum: %.2f\n", m / a
  printf "md5+sha256 / md5 alone: %.3f\n", b / a
  printf "sha256 / openssl dgst -sha256: %.3f\n", s / o
  printf "md5 alone / md5sum: %.3f\n", a / m
}'
[ "${alone%% *}" = "$expected" ] || { echo "digests differ: ${alone%% *} against md5sum's $expected" >&2; exit 1; }
[ "${both%% *}" = "$expected+$expected256" ] || { echo "digests differ: ${both%% *}" >&2; exit 1; }
[ "${sha%% *}" = "$expected256" ] || { echo "digests differ: ${sha%% *} against sha256sum's" >&2; exit 1; }
