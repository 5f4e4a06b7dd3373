#!/bin/sh
# The Wine stage's shared setup and teardown, run by ctest as a fixture:
#   wine-fixture.sh setup|cleanup <prefix> <display> <keeper.exe>
# One throwaway prefix per test run, a virtual X server, a persistent wineserver and one
# long-lived windowed program (the keeper), without which every test pays seconds for the
# helper processes Wine starts and stops around it.
set -eu
action=$1
export WINEPREFIX=$2
export DISPLAY=$3
keeper=$4
export WINEDEBUG=-all WINEDLLOVERRIDES="mscoree,mshtml="
state=$WINEPREFIX.state
# A home of its own: Wine links the Desktop to it, and the browse dialog lists the Desktop
# first; a large real home makes that slow and the dialog's start-up unreliable.
export HOME=$WINEPREFIX.home

display_alive() { xwininfo -root -display "$DISPLAY" >/dev/null 2>&1; }

case $action in
setup)
  [ -d "$WINEPREFIX" ] && wineserver -k 2>/dev/null || true
  rm -rf "$WINEPREFIX" "$HOME"
  mkdir -p "$state" "$HOME"
  if ! display_alive; then
    Xvfb "$DISPLAY" -screen 0 1280x800x24 -nolisten tcp -noreset >/dev/null 2>&1 </dev/null &
    echo $! > "$state/xvfb.pid"
    i=0
    until display_alive; do
      i=$((i + 1)); [ $i -lt 100 ] || { echo "Xvfb did not start on $DISPLAY" >&2; exit 1; }
      sleep 0.1
    done
  fi
  wineboot -i >/dev/null 2>&1
  # Without a window manager every hide or close of a managed window waits two seconds.
  wine reg add 'HKCU\Software\Wine\X11 Driver' /v Managed /t REG_SZ /d N /f >/dev/null 2>&1
  # A file named ".tar.gz" is an ordinary file on Windows; Wine would mark it hidden.
  wine reg add 'HKCU\Software\Wine' /v ShowDotFiles /t REG_SZ /d Y /f >/dev/null 2>&1
  cp /usr/share/wine/fonts/* "$WINEPREFIX/drive_c/windows/Fonts/"
  wineserver -p || true  # already persistent after a wineboot that left it running
  # The keeper also opens and cancels one browse dialog: the first one in a fresh prefix
  # tends to ignore its start selection.
  (setsid wine "$keeper" </dev/null >/dev/null 2>&1 &)
  i=0
  until [ -f "$WINEPREFIX/drive_c/keeper-ready" ]; do
    i=$((i + 1)); [ $i -lt 600 ] || { echo "the keeper did not start" >&2; exit 1; }
    sleep 0.1
  done
  ;;
cleanup)
  wineserver -k 2>/dev/null || true
  if [ -f "$state/xvfb.pid" ]; then kill "$(cat "$state/xvfb.pid")" 2>/dev/null || true; fi
  rm -rf "$state" "$HOME"
  ;;
*)
  echo "usage: $0 setup|cleanup <prefix> <display> <keeper.exe>" >&2
  exit 2
  ;;
esac
