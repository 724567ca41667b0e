#!/usr/bin/env bash
# Installs the packages that are missing, builds the programs (no tests,
# benchmarks or fuzz targets: scripts/test.sh builds those), installs them
# for this user into ~/.local with their manual pages and menu entry, and
# starts the window. Without a display it says so instead.
# Usage: run.sh [window options...]
set -euo pipefail
cd "$(dirname "$0")/.."

dir=build-programs
prefix=$HOME/.local
say() { echo "run.sh: $*"; }

say "installing the packages the build needs, where missing (apt-get)"
scripts/install-deps.sh
if [ -f "$dir/build.ninja" ]; then
  say "bringing the build in $dir/ up to date"
else
  say "building the programs in $dir/; a first build takes 3 to 10 minutes on two cores"
fi
scripts/build.sh "$dir" -DTOVRIK_TESTS=OFF -DTOVRIK_BENCH=OFF
cmake --install "$dir" --prefix "$prefix" >/dev/null
say "installed tovrik, tovrik-gen and tovrik-settings in $prefix/bin, with their manual pages"

case ":$PATH:" in
*":$prefix/bin:"*) ;;
*)
  # Debian's ~/.profile puts ~/.local/bin on the PATH of each login shell
  # once the folder exists; man finds the pages through the PATH.
  if [ "$prefix" = "$HOME/.local" ] && grep -qs '\.local/bin' "$HOME/.profile"; then
    say "$prefix/bin is on the PATH from your next login; in this shell, run:"
  else
    say "$prefix/bin is not on your PATH: add this line to ~/.profile, and run it in this shell:"
  fi
  echo "    export PATH=\"$prefix/bin:\$PATH\""
  ;;
esac

if [ -z "${DISPLAY:-}${WAYLAND_DISPLAY:-}" ]; then
  say "no display (neither DISPLAY nor WAYLAND_DISPLAY is set), so the window is not started."
  say "Start it from a desktop session: Tovrik in the application menu, or tovrik in its"
  say "terminal; from another machine, through ssh -X. The command-line programs work here."
  exit 0
fi
say "starting the window"
exec "$prefix/bin/tovrik" "$@"
