#!/usr/bin/env bash
# The window's tests on the wayland platform: installs Weston, wl-clipboard,
# Qt's Wayland plugin and the Weston headers, and GNOME's and KDE's
# compositors, builds the test seat module into the build tree DIR, and runs
# the CTest entries labelled wayland. Each starts a headless compositor of
# its own, with its own XDG_RUNTIME_DIR, and stops it after
# (tests/ui/with_weston.sh, tests/ui/with_desktop.sh).
# Usage: wayland-tests.sh [DIR]
set -euo pipefail
cd "$(dirname "$0")/.."
dir=${1:-build}

scripts/install-deps.sh build wayland desktops
scripts/build.sh "$dir"
ctest --test-dir "$dir" --output-on-failure -L wayland --no-tests=error
