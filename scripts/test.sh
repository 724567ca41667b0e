#!/usr/bin/env bash
# Installs what is missing, checks the formatting, then builds and runs every
# test: a normal build, its window tests once more on Wayland, one build
# under AddressSanitizer and UBSan, the package (and its second build, which
# must give the same bytes), the web page, the benchmarks, the hardening,
# the fuzz targets, and the Windows build under Wine; CI runs this. With --quick,
# only the normal build and its tests, for daily work.
# Usage: test.sh [--quick]
set -euo pipefail
cd "$(dirname "$0")/.."

quick=false
case "${1:-}" in
--quick) quick=true ;;
"") ;;
*) echo "usage: test.sh [--quick]" >&2; exit 2 ;;
esac

scripts/install-deps.sh

# Every C++ file of the repository, new ones not yet added included.
git ls-files -z --cached --others --exclude-standard '*.cpp' '*.h' |
  xargs -0 -r clang-format --dry-run -Werror

export QT_QPA_PLATFORM=offscreen
jobs=$(nproc)

echo "== tests"
scripts/build.sh build
ctest --test-dir build --output-on-failure -j "$jobs" -LE wayland
$quick && exit 0

# Only the normal build: Weston loads a test module that a sanitizer build
# would instrument, and LeakSanitizer reports what libwayland-client leaves
# allocated at exit.
echo "== the window's tests on Wayland, under headless Weston, mutter and KWin"
scripts/wayland-tests.sh build

echo "== tests under AddressSanitizer and UndefinedBehaviorSanitizer"
scripts/build.sh build-asan -DCMAKE_BUILD_TYPE=Debug -DTOVRIK_SANITIZE=ON -DTOVRIK_BENCH=OFF
ASAN_OPTIONS=detect_leaks=1:abort_on_error=1 \
UBSAN_OPTIONS=halt_on_error=1:print_stacktrace=1 \
  ctest --test-dir build-asan --output-on-failure -j "$jobs"

echo "== Debian package: build, validate, install and remove"
scripts/check-package.sh

echo "== Debian package: built again from a copy in another folder, the same bytes"
scripts/reproducible.sh deb

echo "== offline web page in headless Chromium"
scripts/web-test.sh build

echo "== every benchmark once, briefly, so that one that fails or crashes fails here"
scripts/bench-once.sh build

echo "== hardened binaries"
scripts/check-hardening.sh build

echo "== fuzz targets, briefly"
scripts/fuzz.sh 10

echo "== the Windows build, its tests under Wine, the zip and the installer installed"
scripts/windows.sh
