#!/usr/bin/env bash
# Builds the .deb and checks it as Debian would: lintian, desktop-file-validate and appstreamcli
# find nothing; the copyright file carries libmd's own; every file names this version; and,
# unpacked into a throwaway root, the installed program starts and finds its engine beside
# itself without writing anything there, and Dolphin's menu entry opens and checks a package.
#   deb_test.sh <build tree> <engine md5.so> <version> <libmd's copyright> <README>
set -euo pipefail
build=$1 engine=$2 version=$3 libmd=$4 readme=$5
work=$(mktemp -d)
trap 'chmod -R u+w "$work"; rm -rf "$work"' EXIT
fail() { echo "$*"; exit 1; }

(cd "$build" && cpack -B "$work/out" >/dev/null)
deb=$work/out/pellwick_${version}_amd64.deb
[ -f "$deb" ] || fail "no $(basename "$deb") built: $(ls "$work/out")"

# Any finding fails, whatever its level; an accepted one would need an override in the package.
findings=$(lintian --fail-on none "$deb" 2>&1 | grep -v '^running with root privileges' || true)
[ -z "$findings" ] || fail "lintian: $findings"

dpkg-deb -x "$deb" "$work/root"
root=$work/root
depends=$(dpkg-deb -f "$deb" Depends)
case $depends in *libqt6widgets6*) ;; *) fail "no Qt dependency computed: $depends" ;; esac
case $depends in *gpgv*) ;; *) fail "no dependency on gpgv, which checks signatures: $depends" ;; esac
case $depends in *libqt6svg6*) fail "a dependency on the SVG plugin, which PNG icons make needless: $depends" ;; esac

menu=$root/usr/share/kio/servicemenus/pellwick-check.desktop
findings=$(desktop-file-validate "$root/usr/share/applications/pellwick.desktop" "$menu" 2>&1) || true
[ -z "$findings" ] || fail "desktop-file-validate: $findings"
# The checksum files' types, in a MIME database made of the system's and the package's: what file
# managers offer the launcher and the menu for.
mkdir -p "$work/mime/packages" "$work/typed"
cp /usr/share/mime/packages/freedesktop.org.xml "$root/usr/share/mime/packages/pellwick-checksums.xml" "$work/mime/packages/"
update-mime-database "$work/mime" || fail "update-mime-database refused the package's types"
for file in SHA256SUMS:text/x-checksums foo.tar.gz.sha512:text/x-checksums hello_2.10-3.dsc:text/x-dsc notes.txt:text/plain; do
  echo "text" > "$work/typed/${file%%:*}"
  type=$(XDG_DATA_HOME=$work/none XDG_DATA_DIRS=$work gio info -a standard::content-type "$work/typed/${file%%:*}" 2>/dev/null)
  case $type in *"content-type: ${file#*:}") ;; *) fail "${file%%:*} is not ${file#*:}: $type" ;; esac
done
metainfo=$root/usr/share/metainfo/io.github.pellwick.Pellwick.metainfo.xml
findings=$(appstreamcli validate --no-net "$metainfo" 2>&1 | grep -E '^[EWI]: ' || true)
[ -z "$findings" ] || fail "appstreamcli: $findings"

# One version everywhere: the metadata's release, the changelog's top entry, the manual
# page, and the README's package names.
grep -q "<release version=\"$version\"" "$metainfo" || fail "the metadata's release is not $version"
zcat "$root/usr/share/doc/pellwick/changelog.gz" | head -n 1 | grep -qF "pellwick ($version)" ||
  fail "the changelog's top entry is not $version"
zcat "$root/usr/share/man/man1/pellwick.1.gz" | grep -q "^\.TH PELLWICK 1 .*\"Pellwick $version\"" ||
  fail "the manual page does not name $version"
for name in "pellwick_${version}_amd64.deb" "Pellwick-${version}-x64.msi" "Pellwick-${version}-win64.zip"; do
  grep -qF "$name" "$readme" || fail "the README does not name $name"
done

# libmd's copyright, paragraph by paragraph, with its file names under libmd/.
sed -n '/^Files:$/,$p' "$root/usr/share/doc/pellwick/copyright" | sed 's|^ libmd/| |' > "$work/libmd-part"
sed '1,/^$/d' "$libmd" | diff - "$work/libmd-part" || fail "the copyright file does not carry libmd's"

lib=$root/usr/libexec/pellwick
[ "$(readlink "$root/usr/bin/pellwick")" = "../libexec/pellwick/pellwick" ] || fail "bad /usr/bin/pellwick link"
cmp "$lib/md5.so" "$engine" || fail "packaged engine differs from the built one"

# Installed as the system installs it: nobody may write there.
chmod -R a-w "$lib"
before=$(stat -c '%i %Y' "$lib/md5.so")
mkdir -p "$work/home/Documents" "$work/config/Quorrel"
printf 'pkg\n' > "$work/home/Documents/p.tar.gz"
printf '[Settings]\nQRL_Dir=%s\n' "$work/home/Documents/p.tar.gz" > "$work/config/Quorrel/Quorrel.ini"
set +e
HOME=$work/home XDG_CONFIG_HOME=$work/config XDG_RUNTIME_DIR=$work QT_QPA_PLATFORM=offscreen \
  timeout 3 "$root/usr/bin/pellwick"
status=$?
set -e
# 124: still running when the time was up, which is what a window does.
[ "$status" -eq 124 ] || fail "the installed program exited with $status"

# Dolphin's "Check with Pellwick" runs its Exec line on a checksum list: the installed program
# opens the package that the list names, and says so in the title (on a virtual X server).
(mkdir "$work/release" && cd "$work/release" && printf 'pkg\n' > p.tar.gz && sha256sum p.tar.gz > SHA256SUMS)
exec_line=$(sed -n '/^\[Desktop Action check\]/,$ s/^Exec=//p' "$menu")
source "$(dirname "$0")/../gui/x_server.sh"
start_x_server "$work" 640x480x24
HOME=$work/home XDG_CONFIG_HOME=$work/config XDG_RUNTIME_DIR=$work PATH=$root/usr/bin:$PATH QT_QPA_PLATFORM=xcb \
  ${exec_line/\%f/$work/release/SHA256SUMS} &
app=$!  # it holds the test's output open: a failure below must end it too
trap 'kill $app 2>/dev/null || true; stop_x_server; chmod -R u+w "$work"; rm -rf "$work"' EXIT
title='"Pellwick – matches SHA256SUMS (SHA-256)"'
for _ in $(seq 300); do windows=$(LC_ALL=C.UTF-8 xwininfo -root -tree) && grep -qF "$title" <<< "$windows" && break || sleep 0.1; done
grep -qF "$title" <<< "$windows" || fail "$exec_line gave no window titled $title: $(grep '"Pellwick' <<< "$windows")"
kill $app
[ "$(stat -c '%i %Y' "$lib/md5.so")" = "$before" ] || fail "the installed engine was rewritten"
ls -A "$lib" | sort | tr '\n' ' ' | grep -qx 'md5.so pellwick ' || fail "unexpected files: $(ls -A "$lib")"
echo "package ok: $(basename "$deb"), lintian, desktop-file-validate and appstreamcli without findings"
