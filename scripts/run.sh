#!/usr/bin/env bash
# Installs what is missing, builds, and starts Tovrik. Without a display it
# starts under a virtual X server (Xvfb).
set -euo pipefail
cd "$(dirname "$0")/.."
scripts/install-deps.sh
scripts/build.sh build
if [ -z "${DISPLAY:-}${WAYLAND_DISPLAY:-}" ]; then
  exec xvfb-run -a build/ui/tovrik "$@"
fi
exec build/ui/tovrik "$@"
