#!/usr/bin/env bash
# The Windows installer, opened as an archive: it holds the programs, the
# DLLs and plugins they load and an uninstaller, its programs give the golden
# passwords under Wine, and its script makes the Start-menu entry. NSIS
# installers are 32-bit programs, which only 32-bit Wine runs; a kernel
# without 32-bit support cannot start it, so the installer is not run here.
# Usage: windows_installer_test.sh SETUP_EXE NSIS_SCRIPT
#   (WINEPREFIX of the test's own)
set -uo pipefail
setup=$1
script=$2
status=0
fail() { echo "FAIL: $1" >&2; status=1; }

top=$(mktemp -d)
trap 'rm -rf "$top"' EXIT
7z x -y -o"$top" "$setup" >/dev/null || fail "7z cannot open the installer"
for file in tovrik.exe tovrik-gen.exe tovrik-settings.exe Uninstall.exe Qt6Core.dll \
  Qt6Gui.dll Qt6Widgets.dll platforms/qwindows.dll styles/qwindowsvistastyle.dll \
  translations/qtbase_ja.qm translations/qtbase_en.qm translations/tovrik_en.qm LICENSE README.md; do
  [ -f "$top/$file" ] || fail "the installer lacks $file"
done
first=$(wine "$top/tovrik-gen.exe" --no-store --seed TANE 2>/dev/null | head -n 1)
[ "$first" = 'rGhrZfcW(.' ] || fail "the installer's tovrik-gen.exe gives '$first'"
grep -Eq 'CreateShortCut "\$SMPROGRAMS\\\$STARTMENU_FOLDER\\Tovrik.lnk" "\$INSTDIR\\(\.\\)?tovrik.exe"' \
  "$script" || fail "the installer makes no Start-menu entry for the window"
grep -q 'WriteUninstaller' "$script" || fail "the installer writes no uninstaller"

[ $status -eq 0 ] && echo "windows_installer_test: the installer holds what it installs"
exit $status
