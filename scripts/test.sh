#!/usr/bin/env bash
# Installs what is missing, checks the formatting, then builds and runs every
# test twice: a normal build and one under AddressSanitizer and UBSan. The
# window's tests of the normal build run once more on Wayland.
set -euo pipefail
cd "$(dirname "$0")/.."

scripts/install-deps.sh

find engine charsets settings ui cli tests bench platform fuzz -name '*.cpp' -o -name '*.h' |
  xargs -r clang-format --dry-run -Werror

export QT_QPA_PLATFORM=offscreen
jobs=$(nproc)

echo "== tests"
scripts/build.sh build
ctest --test-dir build --output-on-failure -j "$jobs" -LE wayland

# Only the normal build: Weston loads a test module that a sanitizer build
# would instrument, and LeakSanitizer reports what libwayland-client leaves
# allocated at exit.
echo "== the window's tests on Wayland, under a headless Weston"
scripts/wayland-tests.sh build

echo "== tests under AddressSanitizer and UndefinedBehaviorSanitizer"
scripts/build.sh build-asan -DCMAKE_BUILD_TYPE=Debug -DTOVRIK_SANITIZE=ON -DTOVRIK_BENCH=OFF
ASAN_OPTIONS=detect_leaks=1:abort_on_error=1 \
UBSAN_OPTIONS=halt_on_error=1:print_stacktrace=1 \
  ctest --test-dir build-asan --output-on-failure -j "$jobs"

echo "== Debian package: build, validate, install and remove"
scripts/check-package.sh

echo "== offline web page in headless Chromium"
scripts/web-test.sh build

echo "== every benchmark once, briefly, so that one that fails or crashes fails here"
scripts/bench-once.sh build

echo "== hardened binaries"
scripts/check-hardening.sh build

echo "== fuzz targets, briefly"
scripts/fuzz.sh 10
