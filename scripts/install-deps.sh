#!/usr/bin/env bash
# Installs, with apt-get, whatever this Debian machine does not have yet of
# the named package groups (default: build). Works as root and through sudo.
# Usage: install-deps.sh [GROUP...]
set -euo pipefail

declare -A groups
# The build (zxcvbn estimates owner keys; lupdate and lrelease make the
# window's translations; help2man makes tovrik-gen's manual page, so that
# every install has each program's page, which man-db reads), the tests, the
# benchmarks and the window under Xvfb.
groups[build]="cmake ninja-build g++ pkg-config
  qt6-base-dev libqt6svg6 qt6-qpa-plugins qt6-translations-l10n qt6-l10n-tools libxcb1-dev
  help2man man-db
  libgtest-dev libgmock-dev libbenchmark-dev libzxcvbn-dev
  clang-format
  fonts-ipafont-gothic fonts-noto-cjk
  xvfb xauth x11-utils imagemagick xdotool xclip"
# The Debian package: icons, cpack's DEB generator, the checks,
# and what the installed package needs beyond the build group.
groups[package]="librsvg2-bin gzip file dpkg-dev qt6-translations-l10n
  lintian desktop-file-utils appstream"
# The offline web page (emscripten) and its tests in headless Chromium.
groups[web]="cmake emscripten python3 chromium chromium-driver python3-selenium"
# scripts/screen_reader_check.sh: the window as AT-SPI shows it.
groups[screenreader]="python3-pyatspi at-spi2-core dbus-daemon xvfb xauth xdotool"
# The Windows build: MinGW-w64, the host Qt tools of the same version as the
# Qt built for Windows, the tools that build Qt's source package, Wine to run
# the tests, wixl for the installer, msitools and olefile to read it and set
# its build time and package code, YAML for the winget manifest's check, zip,
# the icon renderers, the tools that drive the window and the console under
# Wine, and the Japanese and English locales that Wine takes a user's
# language from.
groups[windows]="g++-mingw-w64-x86-64-posix mingw-w64-tools binutils-mingw-w64-x86-64 librsvg2-bin imagemagick xdotool python3
  cmake ninja-build dpkg-dev qt6-base-dev qt6-base-dev-tools qt6-tools-dev-tools qt6-l10n-tools
  googletest wine wine64 wixl msitools python3-olefile python3-yaml zip unzip xvfb xauth xclip tmux fonts-ipafont-gothic qt6-translations-l10n
  locales-all"
# scripts/wayland-tests.sh: the window on a headless Weston, Qt's Wayland
# plugin, the Weston headers for the test seat module, and wl-paste.
groups[wayland]="weston libweston-10-dev qt6-wayland wl-clipboard"
# scripts/wayland-tests.sh too: the window under GNOME's and KDE's
# compositors, each headless with a session bus of its own, and mutter's
# remote desktop service driven from Python.
groups[desktops]="mutter kwin-wayland dbus-daemon python3-gi"
# scripts/reproducible.sh: diffoscope shows what differs between two builds.
groups[reproducible]="diffoscope-minimal"
# The libFuzzer targets: clang 14 and its fuzzer and sanitizer runtimes.
groups[fuzz]="clang-14 libclang-rt-14-dev"

[ $# -eq 0 ] && set -- build
packages=()
for g in "$@"; do
  [ -n "${groups[$g]+set}" ] || { echo "install-deps: unknown group '$g'" >&2; exit 2; }
  read -r -a list <<<"$(echo ${groups[$g]})"
  packages+=("${list[@]}")
done

missing=()
for p in "${packages[@]}"; do
  if ! dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q "install ok installed"; then
    missing+=("$p")
  fi
done
[ ${#missing[@]} -eq 0 ] && exit 0

sudo=()
if [ "$(id -u)" -ne 0 ]; then
  command -v sudo >/dev/null || { echo "install-deps: need root or sudo to install: ${missing[*]}" >&2; exit 1; }
  sudo=(sudo)
fi
echo "install-deps: installing ${missing[*]}"
apt=(apt-get -o DPkg::Lock::Timeout=900 -qq)
"${sudo[@]}" "${apt[@]}" update
DEBIAN_FRONTEND=noninteractive "${sudo[@]}" "${apt[@]}" install -y --no-install-recommends "${missing[@]}"
