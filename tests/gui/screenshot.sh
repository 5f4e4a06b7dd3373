#!/usr/bin/env bash
# Starts the real program on a virtual X server with a package named by the setting, waits
# for its window and saves a screenshot; fails when no window appears.
set -euo pipefail
program=$1 out=$2
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
mkdir -p "$work/home/Documents" "$work/config/Quorrel" "$(dirname "$out")"
printf 'release 1.0\n' > "$work/home/Documents/release-1.0.tar.gz"
printf '[Settings]\nQRL_Dir=%s\n' "$work/home/Documents/release-1.0.tar.gz" > "$work/config/Quorrel/Quorrel.ini"

HOME=$work/home XDG_CONFIG_HOME=$work/config XDG_RUNTIME_DIR=$work xvfb-run -a -s "-screen 0 520x120x24" \
  bash -c '
    "$0" & pid=$!
    shown=
    for _ in $(seq 100); do
      if xwininfo -root -tree 2>/dev/null | grep -q "\"Pellwick\""; then shown=1; break; fi
      sleep 0.1
    done
    sleep 0.5
    import -window root "$1"
    kill $pid
    [ -n "$shown" ] || { echo "the window never appeared"; exit 1; }' "$program" "$out"
[ -s "$out" ] || { echo "no screenshot taken"; exit 1; }
echo "screenshot: $out"
