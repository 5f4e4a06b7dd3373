#!/bin/sh
# Digest throughput under Wine against md5sum on the same 1 GiB file, in the same run.
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
md5sum "$file" >/dev/null
best=""
for i in 1 2 3; do
  start=$(now)
  md5sum "$file" >/dev/null
  t=$(awk -v a="$start" -v b="$(now)" 'BEGIN { print b - a }')
  if [ -z "$best" ] || awk -v t="$t" -v b="$best" 'BEGIN { exit !(t < b) }'; then best=$t; fi
done
expected=$(md5sum "$file" | cut -c1-32)

result=$(wine "$exe" "$(winepath -w "$file")" 4 | tr -d '\r')
wineserver -k 2>/dev/null || true
digest=${result%% *}
seconds=$(echo "$result" | awk '{ print $2 }')

awk -v m="$best" -v w="$seconds" 'BEGIN {
  printf "md5sum:          %.3f s  %.1f MiB/s\n", m, 1024 / m
  printf "Pellwick (Wine): %.3f s  %.1f MiB/s\n", w, 1024 / w
  printf "throughput ratio, Pellwick under Wine / md5sum: %.2f\n", m / w
}'
[ "$digest" = "$expected" ] || { echo "digests differ: $digest against md5sum's $expected" >&2; exit 1; }
