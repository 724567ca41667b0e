#!/usr/bin/env bash
# Installs, with apt-get, whatever the build, the tests and the program need
# and this Debian machine does not have yet. Works as root and through sudo.
set -euo pipefail

packages=(
  cmake ninja-build g++ pkg-config
  qt6-base-dev libqt6svg6 qt6-qpa-plugins
  libgtest-dev libgmock-dev libbenchmark-dev
  clang-format
  fonts-ipafont-gothic fonts-noto-cjk
  xvfb xauth x11-utils imagemagick xdotool
)

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
"${sudo[@]}" apt-get update -qq
DEBIAN_FRONTEND=noninteractive "${sudo[@]}" apt-get install -y -qq --no-install-recommends "${missing[@]}"
