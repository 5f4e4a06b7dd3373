#!/bin/sh
# The Windows installer under Wine's msiexec: an older version installed, then this one over
# it, which must leave one installed copy with the build's own files, registered for "Open
# with" without touching the types, with a shortcut, digesting without rewriting its engine;
# the older one then refused; another build of this version replacing it; nothing left once
# it is removed.
#   installer.sh <build tree> <pellwick_installer_checks.exe> <version> <LICENSE> <work folder>
set -eu
build=$1
checks=$2
version=$3
licence=$4
out=$5
rm -rf "$out"
mkdir -p "$out"
export LC_ALL=C

# msi <version>: this build's installer, as the package target makes it, with that version.
msi() {
  cpack -G External --config "$build/CPackConfig.cmake" -D CPACK_PACKAGE_VERSION="$1" -B "$out/$1" >/dev/null
  echo "$out/$1/Pellwick-$1-x64.msi"
}
older=$(msi 0.9.0)
current=$(msi "$version")
rebuilt_version=${version%.*}.$((${version##*.} + 1))
rebuilt=$(msi "$rebuilt_version")

folder="$WINEPREFIX/drive_c/Program Files/Pellwick"
exe='C:\Program Files\Pellwick\Pellwick.exe'
# check <expected version> <test filter>
check() { PELLWICK_EXPECTED_VERSION=$1 wine "$checks" "$exe" --gtest_brief=1 --gtest_filter="$2"; }
install() { wine msiexec /i "$1" /qn; }
fail() { echo "$*" >&2; exit 1; }
types() { for t in .gz .tgz .tar.gz .md5 .sha1 .sha256 .sha512 .dsc .asc .sig; do wine reg query "$1\\$t" /s 2>&1 || true; done; }
associations='HKLM\Software\Classes\SystemFileAssociations'  # where the check verb is added
# A per-machine shortcut belongs in the common Start menu; Wine's msiexec puts it in the user's.
shortcuts() { find "$WINEPREFIX/drive_c/ProgramData" "$WINEPREFIX/drive_c/users" -path '*Start Menu*' -name Pellwick.lnk; }

types_before=$(types HKCR) associations_before=$(types "$associations")
check none 'Removed.*'
install "$older" || fail "the older installer failed"
check 0.9.0 'Installed.HasOneUninstallEntry*'

install "$current" || fail "the installer failed over the older version"
[ "$(ls "$folder" | sort | tr '\n' ' ')" = "LICENSE.txt Pellwick.exe THIRD-PARTY-NOTICES.txt gpgv.exe md5.dll " ] ||
  fail "installed: $(ls "$folder")"
cmp "$folder/Pellwick.exe" "$build/bin/Pellwick.exe"
cmp "$folder/md5.dll" "$build/engine/md5.dll"
cmp "$folder/gpgv.exe" "$build/bin/gpgv.exe"
cmp "$folder/LICENSE.txt" "$licence"
cmp "$folder/THIRD-PARTY-NOTICES.txt" "$build/packaging/THIRD-PARTY-NOTICES.txt"
[ "$(shortcuts | wc -l)" -eq 1 ] || fail "Start menu shortcuts: $(shortcuts)"
[ "$(types HKCR)" = "$types_before" ] || fail "the installer changed a type it offers to open"
engine_before=$(stat -c '%i %s %Y' "$folder/md5.dll")
check "$version" 'Installed.*'
[ "$(stat -c '%i %s %Y' "$folder/md5.dll")" = "$engine_before" ] || fail "the installed program rewrote md5.dll"

# Windows answers 1603 here; Wine's msiexec another non-zero code.
if install "$older"; then fail "the older installer replaced a newer version"; fi
check "$version" 'Installed.HasOneUninstallEntry*'
install "$rebuilt" || fail "another build of $version did not install"
check "$rebuilt_version" 'Installed.HasOneUninstallEntry*'

wine msiexec /x "$rebuilt" /qn || fail "the uninstallation failed"
check none 'Removed.*'
[ ! -e "$folder" ] || fail "left behind: $(ls -A "$folder")"
[ -z "$(shortcuts)" ] || fail "left behind: $(shortcuts)"
[ "$(types "$associations")" = "$associations_before" ] || fail "left behind: $(types "$associations")"
echo "installer ok: $(basename "$current") installed over 0.9.0, refused 0.9.0, replaced by $rebuilt_version, removed"
