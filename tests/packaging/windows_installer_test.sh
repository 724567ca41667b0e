#!/usr/bin/env bash
# The Windows installer under Wine, run silently as an administrator's
# deployment would: it installs the programs, which give the golden
# passwords, adds the Start-menu entry, and its uninstaller removes both.
# Usage: windows_installer_test.sh SETUP_EXE   (WINEPREFIX of the test's own)
set -uo pipefail
setup=$1
drive=$WINEPREFIX/drive_c
status=0
fail() { echo "FAIL: $1" >&2; status=1; }

rm -rf "$drive/TovrikTest"
wine "$setup" /S '/D=C:\TovrikTest' >/dev/null 2>&1 || fail "the installer failed"
wineserver --wait
for program in tovrik tovrik-gen tovrik-settings; do
  [ -f "$drive/TovrikTest/$program.exe" ] || fail "$program.exe is not installed"
done
entry=$(find "$drive" -path '*Start Menu/Programs/Tovrik/Tovrik.lnk' 2>/dev/null | head -n 1)
[ -n "$entry" ] || fail "no Start-menu entry"
first=$(wine 'C:\TovrikTest\tovrik-gen.exe' --no-store --seed TANE 2>/dev/null | head -n 1)
[ "$first" = 'rGhrZfcW(.' ] || fail "the installed tovrik-gen.exe gives '$first'"

[ -f "$drive/TovrikTest/Uninstall.exe" ] || fail "no uninstaller"
wine 'C:\TovrikTest\Uninstall.exe' /S >/dev/null 2>&1
# The uninstaller runs a copy of itself and returns at once.
for _ in $(seq 60); do
  [ -e "$drive/TovrikTest/tovrik.exe" ] || break
  sleep 0.5
done
wineserver --wait
[ ! -e "$drive/TovrikTest/tovrik.exe" ] || fail "the uninstaller left tovrik.exe"
[ -z "$entry" ] || [ ! -e "$entry" ] || fail "the uninstaller left the Start-menu entry"

[ $status -eq 0 ] && echo "windows_installer_test: the installer installs and uninstalls"
exit $status
