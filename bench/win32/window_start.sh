#!/bin/sh
# Start-up time under Wine on a private virtual X server, in a prefix of the benchmarks' own.
#   window_start.sh <bench_window_start.exe> <Pellwick.exe> <reference_window.exe> <work folder> [runs]
set -eu
bench=$1
program=$2
reference=$3
work=$4
runs=${5:-10}
mkdir -p "$work"
export WINEPREFIX=$work/wine-prefix WINEDEBUG=-all WINEDLLOVERRIDES="mscoree,mshtml="
[ -d "$WINEPREFIX" ] || wineboot -i >/dev/null 2>&1
# Without a window manager every close of a managed window waits two seconds.
wine reg add 'HKCU\Software\Wine\X11 Driver' /v Managed /t REG_SZ /d N /f >/dev/null 2>&1
wineserver -w
# Every Wine process of the run, winepath's too, starts on the virtual display: the first one
# starts the prefix's desktop process, and one started without a display leaves the later
# windows without a screen. The server stops before the display does.
export bench program reference runs
out=$work/window-start.out
xvfb-run -a -s "-screen 0 1280x800x24 -nolisten tcp" sh -c '
  wine "$bench" "$(winepath -w "$program")" "$(winepath -w "$reference")" "$runs" > "$0"
  status=$?
  wineserver -k 2>/dev/null
  exit $status' "$out"
tr -d '\r' < "$out"
rm -f "$out"
