#!/bin/sh
# A 4 GiB sparse package through the Windows program's window under Wine, on a private virtual
# X server, beside md5sum on the same file.
#   window_wait.sh <bench_window_wait.exe> <Pellwick.exe> <work folder>
set -eu
bench=$1
program=$2
work=$3
mkdir -p "$work/wait"
cp "$program" "$work/wait/Pellwick.exe"
file=$work/wait/package-4GiB.tar.gz
truncate -s 4G "$file"
head -c 4096 /dev/urandom | dd of="$file" bs=4096 seek=1048575 conv=notrunc status=none
trap 'rm -f "$file"' EXIT
export WINEPREFIX=$work/wine-prefix WINEDEBUG=-all WINEDLLOVERRIDES="mscoree,mshtml="
[ -d "$WINEPREFIX" ] || wineboot -i >/dev/null 2>&1
wine reg add 'HKCU\Software\Wine\X11 Driver' /v Managed /t REG_SZ /d N /f >/dev/null 2>&1
wineserver -w

now() { date +%s.%N; }
md5sum "$file" >/dev/null
start=$(now)
expected=$(md5sum "$file" | cut -c1-32 | tr a-f A-F)
md5=$(awk -v a="$start" -v b="$(now)" 'BEGIN { print b - a }')

export bench
out=$work/wait/out
xvfb-run -a -s "-screen 0 1280x800x24 -nolisten tcp" sh -c '
  wine "$bench" "$(winepath -w "$1")" "$(winepath -w "$2")" 3 > "$0"
  status=$?
  wineserver -k 2>/dev/null
  exit $status' "$out" "$work/wait/Pellwick.exe" "$file"
tr -d '\r' < "$out" | grep '^run'
set -- $(tr -d '\r' < "$out" | tail -1)
awk -v w="$2" -v m="$md5" -v s="$3" 'BEGIN {
  printf "longest the window went unanswered under Wine: %.1f ms (target < 100 ms)\n", s
  printf "window under Wine %.3f s, md5sum %.3f s: ratio %.2f\n", w, m, m / w
}'
[ "$1" = "$expected" ] || { echo "digests differ: $1 against md5sum's $expected" >&2; exit 1; }
