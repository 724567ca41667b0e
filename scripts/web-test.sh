#!/usr/bin/env bash
# Builds the offline page and drives it in headless Chromium against the
# tovrik-gen of a native build. Usage: web-test.sh [NATIVE_BUILD_DIR] (default: build)
set -euo pipefail
cd "$(dirname "$0")/.."
native=${1:-build}
clang-format --dry-run -Werror web/*.cpp
page=$(scripts/web.sh build-web | tail -n 1)
/usr/bin/python3 tests/web/page_test.py "$page" "$native/cli/tovrik-gen"
