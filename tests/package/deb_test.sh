#!/usr/bin/env bash
# Builds the .deb, unpacks it into a throwaway root and checks that its copyright file carries
# libmd's and that the installed program starts and finds its engine beside itself without
# writing anything there.
#   deb_test.sh <build tree> <engine md5.so> <libmd's copyright>
set -euo pipefail
build=$1 engine=$2 libmd=$3
work=$(mktemp -d)
trap 'chmod -R u+w "$work"; rm -rf "$work"' EXIT

(cd "$build" && cpack -G DEB -B "$work/out" >/dev/null)
deb=$(ls "$work"/out/pellwick_*.deb)
dpkg-deb -x "$deb" "$work/root"
dpkg-deb -f "$deb" Depends | grep -q libqt6widgets6 || { echo "no Qt dependency declared"; exit 1; }

lib=$work/root/usr/lib/pellwick
for f in "$lib/pellwick" "$lib/md5.so" "$work/root/usr/share/applications/pellwick.desktop" \
         "$work/root/usr/share/icons/hicolor/scalable/apps/pellwick.svg"; do
  [ -f "$f" ] || { echo "missing from the package: ${f#$work/root}"; exit 1; }
done
# libmd's copyright, paragraph by paragraph, with its file names under libmd/.
sed -n '/^Files:$/,$p' "$work/root/usr/share/doc/pellwick/copyright" | sed 's|^ libmd/| |' > "$work/libmd-part"
sed '1,/^$/d' "$libmd" | diff - "$work/libmd-part" || { echo "the copyright file does not carry libmd's"; exit 1; }
[ "$(readlink "$work/root/usr/bin/pellwick")" = "../lib/pellwick/pellwick" ] || { echo "bad /usr/bin/pellwick link"; exit 1; }
cmp "$lib/md5.so" "$engine" || { echo "packaged engine differs from the built one"; exit 1; }

# Installed as the system installs it: nobody may write there.
chmod -R a-w "$lib"
before=$(stat -c '%i %Y' "$lib/md5.so")
mkdir -p "$work/home/Documents" "$work/config/Quorrel"
printf 'pkg\n' > "$work/home/Documents/p.tar.gz"
printf '[Settings]\nQRL_Dir=%s\n' "$work/home/Documents/p.tar.gz" > "$work/config/Quorrel/Quorrel.ini"
set +e
HOME=$work/home XDG_CONFIG_HOME=$work/config XDG_RUNTIME_DIR=$work QT_QPA_PLATFORM=offscreen \
  timeout 3 "$work/root/usr/bin/pellwick"
status=$?
set -e
# 124: still running when the time was up, which is what a window does.
[ "$status" -eq 124 ] || { echo "the installed program exited with $status"; exit 1; }
[ "$(stat -c '%i %Y' "$lib/md5.so")" = "$before" ] || { echo "the installed engine was rewritten"; exit 1; }
ls -A "$lib" | sort | tr '\n' ' ' | grep -qx 'md5.so pellwick ' || { echo "unexpected files: $(ls -A "$lib")"; exit 1; }
echo "package ok: $(basename "$deb")"
