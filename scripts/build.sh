#!/usr/bin/env bash
# Configures and builds one build tree. Usage: build.sh DIR [cmake options...]
# Warnings are errors only where TOVRIK_WERROR=ON is set (CI sets it), so
# that a newer compiler's new warnings do not stop a newcomer's build.
set -euo pipefail
cd "$(dirname "$0")/.."
dir=$1
shift
cmake -S . -B "$dir" -G Ninja -DTOVRIK_WERROR="${TOVRIK_WERROR:-OFF}" "$@" >/dev/null
cmake --build "$dir"
