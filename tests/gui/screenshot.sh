#!/usr/bin/env bash
# Starts the real program on a virtual X server with a package named by the setting, waits
# for its window and saves a screenshot; fails when no window appears. With a verdict (match or
# mismatch) it names instead a SHA256SUMS on the command line that lists the package with its
# SHA-256 or with one digit changed. No window manager draws a title bar here, so the
# window's title, as the X server holds it, is written above the picture.
#   screenshot.sh <program> <out.png> [match|mismatch]
set -euo pipefail
program=$1 out=$2 verdict=${3:-}
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
mkdir -p "$work/home/Documents" "$work/config/Quorrel" "$(dirname "$out")"
package=$work/home/Documents/release-1.0.tar.gz
printf 'release 1.0\n' > "$package"
printf '[Settings]\nQRL_Dir=%s\n' "$package" > "$work/config/Quorrel/Quorrel.ini"
arguments=()
if [ -n "$verdict" ]; then
  digest=$(sha256sum "$package" | cut -c1-64)
  [ "$verdict" = match ] || digest=${digest:0:63}$([ "${digest:63}" = 0 ] && echo 1 || echo 0)
  printf '%s  release-1.0.tar.gz\n' "$digest" > "$work/home/Documents/SHA256SUMS"
  arguments=("$work/home/Documents/SHA256SUMS")
fi

source "$(dirname "$0")/x_server.sh"
trap 'stop_x_server; rm -rf "$work"' EXIT
scale=${QT_SCALE_FACTOR:-1}  # the picture and its title scaled too
start_x_server "$work" $((520 * scale))x$((120 * scale))x24

HOME=$work/home XDG_CONFIG_HOME=$work/config XDG_RUNTIME_DIR=$work "$program" "${arguments[@]}" &
pid=$!
# The program holds the test's output open: whatever ends this script ends it first.
trap 'kill $pid 2>/dev/null || true; stop_x_server; rm -rf "$work"' EXIT
window=
for _ in $(seq 100); do
  # Read whole, not piped into a reader that stops early: under pipefail the writer's broken
  # pipe would end the script.
  xwininfo -root -tree > "$work/tree" 2>/dev/null || true
  window=$(awk '/"Pellwick/ {print $1; exit}' "$work/tree")
  [ -n "$window" ] && { [ -z "$verdict" ] || xprop -id "$window" _NET_WM_NAME | grep -qi match; } && break
  sleep 0.1
done
sleep 0.5
import -window root "$out"
[ -z "$window" ] || xprop -id "$window" _NET_WM_NAME | sed 's/^[^"]*"//; s/"$//' > "$out.title"
kill $pid 2>/dev/null || true
[ -n "$window" ] || { echo "the window never appeared"; exit 1; }
[ -s "$out" ] || { echo "no screenshot taken"; exit 1; }
if [ -n "$verdict" ]; then
  convert "$out" -crop $((500 * scale))x$((64 * scale))+0+0 +repage -background '#d6d6d6' -gravity north \
    -splice 0x$((22 * scale)) -font DejaVu-Sans -pointsize $((13 * scale)) -fill black -annotate +0+$((3 * scale)) \
    "$(cat "$out.title")" "$out"
fi
rm -f "$out.title"
echo "screenshot: $out"
