#!/usr/bin/env bash
# Builds the Debian package (scripts/package.sh) and checks it: the desktop
# entry and the AppStream metainfo validate, the package holds what it
# should, and, as root or with password-less sudo, it installs with apt,
# runs, and removes without leaving a file behind.
set -euo pipefail
cd "$(dirname "$0")/.."

deb=$(scripts/package.sh | tail -n 1)
build="build-package"
# The application id as the build that made the package has it.
app_id=$(sed -n 's/^TOVRIK_APP_ID:INTERNAL=//p' "$build/CMakeCache.txt")
[ -n "$app_id" ] || { echo "check-package: no application id in $build/CMakeCache.txt" >&2; exit 1; }
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
fail() {
  echo "check-package: $*" >&2
  exit 1
}

echo "-- desktop entry and metainfo"
dpkg-deb -x "$deb" "$work/root"
desktop=$work/root/usr/share/applications/$app_id.desktop
out=$(desktop-file-validate "$desktop" 2>&1) || fail "desktop-file-validate: $out"
# Hints are suggestions; warnings and errors are not accepted.
if grep -E ': (warning|error):' <<<"$out"; then fail "desktop-file-validate complains"; fi
appstreamcli validate --no-net --strict "$work/root/usr/share/metainfo/$app_id.metainfo.xml"

echo "-- contents"
expected="usr/bin/tovrik
usr/bin/tovrik-gen
usr/share/applications/$app_id.desktop
usr/share/doc/tovrik/LICENSE
usr/share/doc/tovrik/README.md
usr/share/doc/tovrik/changelog.gz
usr/share/doc/tovrik/copyright
usr/share/icons/hicolor/scalable/apps/$app_id.svg
usr/share/man/man1/tovrik-gen.1.gz
usr/share/man/man1/tovrik.1.gz
usr/share/metainfo/$app_id.metainfo.xml
usr/share/tovrik/translations/tovrik_en.qm"
for size in 16 32 48 64 128 256; do
  expected+=$'\n'"usr/share/icons/hicolor/${size}x$size/apps/$app_id.png"
done
if [ -e "$build/cli/tovrik-settings" ]; then
  expected+=$'\n'"usr/bin/tovrik-settings"$'\n'"usr/share/man/man1/tovrik-settings.1.gz"
fi
actual=$(cd "$work/root" && find . -type f -printf '%P\n' | LC_ALL=C sort)
diff <(LC_ALL=C sort <<<"$expected") <(echo "$actual") || fail "unexpected package contents"
# help2man reads tovrik-gen --help under a UTF-8 locale: its Japanese is
# there, not "???".
zcat "$work/root/usr/share/man/man1/tovrik-gen.1.gz" | sed 's/\\-/-/g' |
  grep -qF '（--list で指定）' || fail "tovrik-gen(1) lacks （--list で指定）"
for program in "$work"/root/usr/bin/*; do
  file "$program" | grep -q ', stripped' || fail "not stripped: $program"
done
for size in 16 32 48 64 128 256; do
  file "$work/root/usr/share/icons/hicolor/${size}x$size/apps/$app_id.png" |
    grep -q "PNG image data, $size x $size," || fail "the ${size}x$size icon has the wrong size"
done
depends=$(dpkg-deb -f "$deb" Depends)
for need in libqt6widgets6 libzxcvbn0 qt6-qpa-plugins libqt6svg6 \
  'fonts-ipafont-gothic | fonts-noto-cjk' qt6-translations-l10n; do
  grep -qF "$need" <<<"$depends" || fail "Depends lacks $need: $depends"
done

sudo=()
if [ "$(id -u)" -ne 0 ]; then
  if ! sudo -n true 2>/dev/null; then
    echo "-- install and removal skipped: needs root or password-less sudo"
    exit 0
  fi
  sudo=(sudo -n)
fi
if dpkg-query -W -f='${Status}' tovrik 2>/dev/null | grep -q 'install ok installed'; then
  echo "-- install and removal skipped: tovrik is installed on this machine already"
  exit 0
fi

echo "-- install with apt"
apt=("${sudo[@]}" env DEBIAN_FRONTEND=noninteractive apt-get -o DPkg::Lock::Timeout=900 -qq)
trap '"${apt[@]}" purge -y tovrik >/dev/null 2>&1 || true; rm -rf "$work"' EXIT
"${apt[@]}" install -y --no-install-recommends "$(realpath "$deb")" >/dev/null

# The installed tovrik-gen makes the passwords the build makes.
for args in "--no-store" "--no-store --seed TANE --length 99 --complex" \
  "--no-store --numbers 1-2-3-4-5-6-7 --list abc123 --spread 2"; do
  # shellcheck disable=SC2086 # the arguments are split on purpose
  diff <(/usr/bin/tovrik-gen $args) <("$build/cli/tovrik-gen" $args) ||
    fail "installed tovrik-gen $args differs from the build's"
done

# The desktop entry's icon and window class: the icon is in the theme, and
# the installed window carries the class the entry names. It also keeps its
# settings in the store the build's programs use, and finds its English
# texts, started as a user whose language is not Japanese starts it.
icon=$(sed -n 's/^Icon=//p' "/usr/share/applications/$app_id.desktop")
wm_class=$(sed -n 's/^StartupWMClass=//p' "/usr/share/applications/$app_id.desktop")
[ -e "/usr/share/icons/hicolor/scalable/apps/$icon.svg" ] || fail "icon $icon is not installed"
mkdir -p "$work/config"
# shellcheck disable=SC2016 # the script expands its variables itself
XDG_CONFIG_HOME=$work/config WINDOW_FILE=$work/window LANGUAGE=en \
  WAIT_FOR_WINDOW=$PWD/scripts/wait-for-window.sh \
  xvfb-run -a env -u QT_QPA_PLATFORM bash -ec '
  cd /
  /usr/bin/tovrik &
  app=$!
  win=$("$WAIT_FOR_WINDOW" "^Tovrik \\(" 10 "$app" 2>"$WINDOW_FILE")
  { xdotool getwindowname "$win"; xprop -id "$win" WM_CLASS; } >"$WINDOW_FILE"
  kill "$app"
' 2>/dev/null || fail "the installed window: $(cat "$work/window")"
grep -qF "\"$wm_class\"" "$work/window" || fail "window class $(cat "$work/window"), entry says $wm_class"
grep -qxF "Tovrik (for ○○)" "$work/window" || fail "the installed window in English: $(cat "$work/window")"
store=$(XDG_CONFIG_HOME=$work/config /usr/bin/tovrik-settings path)
[ -s "$store" ] || fail "the installed window saved no settings"

echo "-- removal"
files=$(dpkg -L tovrik)
"${apt[@]}" purge -y tovrik >/dev/null
left=$(while read -r path; do
  if [ -f "$path" ]; then
    echo "$path"
  elif [ -d "$path" ] && [ -z "$(ls -A "$path")" ]; then
    echo "$path (empty folder)"
  fi
done <<<"$files")
[ -z "$left" ] || fail "left after removal: $left"
[ ! -e /usr/share/doc/tovrik ] || fail "/usr/share/doc/tovrik is left after removal"
echo "package checked: $deb"
