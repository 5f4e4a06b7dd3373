#!/bin/sh
# Starts Pellwick.exe with a package named in its setting, so the window opens showing a
# digest, and saves pictures of the screen and of the window. With a verdict (match or
# mismatch) it names instead a SHA256SUMS on the command line that lists the package with its
# SHA-256 or with one digit changed. With a look, the window is shown in high contrast or at
# 200% (192 dots per inch).
#   screenshot.sh <Pellwick.exe> <output folder> [match|mismatch] [high-contrast|200%]
set -eu
exe=$1
out=$2
verdict=${3:-}
look=${4:-}
rm -rf "$out"
mkdir -p "$out/program"
cp "$exe" "$out/program/"
if [ -n "$look" ]; then
  # Wine reads the system's colours and DPI when its server starts, and cannot switch high
  # contrast on: a prefix of the picture's own, whose colours are Windows' "High Contrast Black"
  # scheme, with Pellwick's high-contrast look asked for by PELLWICK_HIGH_CONTRAST=1; or whose
  # DPI is 192.
  export WINEPREFIX="$out/prefix" HOME="$out/home"
  mkdir -p "$HOME"
  wineboot -i >/dev/null 2>&1
  wine reg add 'HKCU\Software\Wine\X11 Driver' /v Managed /t REG_SZ /d N /f >/dev/null 2>&1
  cp /usr/share/wine/fonts/* "$WINEPREFIX/drive_c/windows/Fonts/"
  case $look in
  high-contrast)
    export PELLWICK_HIGH_CONTRAST=1
    for colour in Background=0,0,0 Window=0,0,0 WindowText=255,255,255 WindowFrame=255,255,255 \
      ButtonFace=0,0,0 ButtonText=255,255,255 ButtonHilight=255,255,255 ButtonLight=0,0,0 \
      ButtonShadow=255,255,255 ButtonDkShadow=255,255,255 Hilight=26,235,255 HilightText=0,0,0 \
      GrayText=63,242,63 ActiveTitle=0,0,0 GradientActiveTitle=0,0,0 TitleText=255,255,255 \
      ActiveBorder=255,255,255 InactiveBorder=255,255,255 HotTrackingColor=255,255,0; do
      wine reg add 'HKCU\Control Panel\Colors' /v "${colour%%=*}" /t REG_SZ \
        /d "$(echo "${colour#*=}" | tr , ' ')" /f >/dev/null 2>&1
    done
    ;;
  200%)
    wine reg add 'HKCU\Control Panel\Desktop' /v LogPixels /t REG_DWORD /d 192 /f >/dev/null 2>&1
    wine reg add 'HKLM\System\CurrentControlSet\Hardware Profiles\Current\Software\Fonts' /v LogPixels \
      /t REG_DWORD /d 192 /f >/dev/null 2>&1
    ;;
  *) echo "unknown look: $look" >&2; exit 2 ;;
  esac
  wineserver -k 2>/dev/null || true  # the next program starts a server that reads them
fi
# The files lie on the throwaway prefix's drive C:, so that the picture shows a path such as a
# person's own would be.
data=$WINEPREFIX/drive_c/Downloads
rm -rf "$data"
mkdir -p "$data"
head -c 300000 /dev/urandom > "$data/pellwick-1.0.tar.gz"
package=$(winepath -w "$data/pellwick-1.0.tar.gz")
wine reg add 'HKCU\Software\Quorrel\Settings' /v QRL_Dir /t REG_SZ /d "$package" /f >/dev/null 2>&1
expected=$(md5sum "$data/pellwick-1.0.tar.gz" | cut -c1-32)
listed=$(sha256sum "$data/pellwick-1.0.tar.gz" | cut -c1-64)
if [ "$verdict" = mismatch ]; then
  last=$(printf %s "$listed" | cut -c64)
  listed=$(printf %s "$listed" | cut -c1-63)$([ "$last" = 0 ] && echo 1 || echo 0)
fi
set --
if [ -n "$verdict" ]; then
  printf '%s  pellwick-1.0.tar.gz\r\n' "$listed" > "$data/SHA256SUMS"
  set -- "$(winepath -w "$data/SHA256SUMS")"
fi
wine "$out/program/Pellwick.exe" "$@" >/dev/null 2>&1 &
app=$!
trap 'kill $app 2>/dev/null || true; wine reg delete "HKCU\Software\Quorrel\Settings" /v QRL_Dir /f >/dev/null 2>&1 || true
  if [ -n "$look" ]; then wineserver -k 2>/dev/null; wineserver -w; rm -rf "$WINEPREFIX" "$HOME"; fi' EXIT
window=""
i=0
while [ -z "$window" ]; do
  i=$((i + 1)); [ $i -lt 200 ] || { echo "the window did not appear" >&2; exit 1; }
  sleep 0.1
  window=$(xwininfo -root -tree | awk '/"Pellwick/ {print $1; exit}')
done
# The window opens before its verdict comes.
i=0
while [ -n "$verdict" ] && ! xprop -id "$window" _NET_WM_NAME | grep -qi match; do
  i=$((i + 1)); [ $i -lt 100 ] || break
  sleep 0.1
done
sleep 0.5  # let it paint
import -window root "$out/shot.png"
import -window "$window" "$out/window.png"
expected=$(printf %s "$expected" | tr a-f A-F)
echo "saved $out/shot.png and $out/window.png; the window should show $expected"
