#!/usr/bin/env bash
# Cross-builds Tovrik for 64-bit Windows with MinGW-w64, makes the portable
# zip, the installer (MSI), its winget manifest and SHA256SUMS in
# BUILD_DIR/packages, and runs the tests under Wine: the suites, the zip as a
# user unpacks it, the plugins planted beside it, the winget manifest
# against the installer, and the installer installed, upgraded and removed.
# Installs what is missing, and builds Qt and GoogleTest for Windows into
# the cache folder first when they are not there (scripts/windows-qt.sh).
# Prints the paths of the zip and the installer as its last two lines.
# Usage: windows.sh [BUILD_DIR]   (default build-windows)
# Environment: TOVRIK_WERROR=ON makes warnings errors, as in CI;
# TOVRIK_WINDOWS_TESTS=OFF builds the packages only (scripts/reproducible.sh).
set -euo pipefail
cd "$(dirname "$0")/.."
root=$PWD
build=$root/${1:-build-windows}
tests=${TOVRIK_WINDOWS_TESTS:-ON}

scripts/install-deps.sh windows
qt=$(scripts/windows-qt.sh | tail -n 1)

# GoogleTest from Debian's own source package, built with the same toolchain
# and kept beside Qt.
cache=$(dirname "$qt")
gtest_version=$(dpkg-query -W -f='${Version}' googletest)
gtest=$cache/googletest-${gtest_version%%-*}-mingw64
if [ ! -f "$gtest/tovrik-stamp" ]; then
  rm -rf "$gtest" "$cache/googletest-build"
  cmake -S /usr/src/googletest -B "$cache/googletest-build" -G Ninja \
    -DCMAKE_TOOLCHAIN_FILE="$root/cmake/mingw-w64-x86_64.cmake" \
    -DCMAKE_BUILD_TYPE=Release -DCMAKE_INSTALL_PREFIX="$gtest" -Dgtest_disable_pthreads=ON >/dev/null
  cmake --build "$cache/googletest-build" >/dev/null
  cmake --install "$cache/googletest-build" >/dev/null
  echo "$gtest_version" >"$gtest/tovrik-stamp"
  rm -rf "$cache/googletest-build"
fi

cmake -S . -B "$build" -G Ninja \
  -DCMAKE_TOOLCHAIN_FILE="$root/cmake/mingw-w64-x86_64.cmake" \
  -DCMAKE_PREFIX_PATH="$qt;$gtest" -DCMAKE_FIND_ROOT_PATH="$qt;$gtest" \
  -DQT_HOST_PATH=/usr -DQT_HOST_PATH_CMAKE_DIR=/usr/lib/x86_64-linux-gnu/cmake \
  -DCMAKE_CROSSCOMPILING_EMULATOR=wine \
  -DCMAKE_BUILD_TYPE=Release \
  -DTOVRIK_TESTS="$tests" \
  -DTOVRIK_WERROR="${TOVRIK_WERROR:-OFF}" >/dev/null
cmake --build "$build"
SOURCE_DATE_EPOCH=$(scripts/source-date-epoch.sh) \
  cmake --build "$build" --target tovrik_windows_packages >&2
packages=$build/packages
zip=$(ls "$packages"/tovrik-*-win64.zip)
msi=$(ls "$packages"/tovrik-*-win64.msi)
if [ "$tests" = OFF ]; then
  echo "$zip"
  echo "$msi"
  exit 0
fi
scripts/check-hardening.sh "$build"

# Wine in a prefix of its own, made afresh on every run so that no registry
# value of an earlier run is read; without Mono, Gecko or a debugger.
export WINEPREFIX=$build/wine-prefix
export WINEDEBUG=-all
export WINEDLLOVERRIDES="mscoree,mshtml,winemenubuilder.exe="
rm -rf "$WINEPREFIX"
wineboot --init >/dev/null 2>&1
wineserver --wait
# One X server for the tests that need a real window (the rest run on the
# offscreen platform), and for Wine's clipboard.
run_x() { xvfb-run --auto-servernum --server-args="-screen 0 1280x1024x24" "$@"; }
status=0
# Debian's Python for the scripts that need its olefile and yaml.
python=/usr/bin/python3
run_x ctest --test-dir "$build" --output-on-failure -j 1 || status=1
# The start-up against the bare dialog, briefly, for its ratio: a
# benchmark, so a run that cannot finish is reported, not failed.
run_x $python bench/startup_compare_wine.py "$build/bin" 3 >&2 ||
  echo "windows: the start-up comparison did not finish" >&2

# The packages as users meet them, against the Linux build's passwords.
scripts/build.sh build >/dev/null
run_x $python tests/packaging/windows_zip_test.py "$zip" build || status=1
$python tests/packaging/windows_planted_plugin_test.py "$zip" \
  "$build/tests/packaging/planted/qwindows.dll" || status=1
$python tests/packaging/winget_manifest_check.py "$packages/winget" "$msi" || status=1
$python tests/packaging/windows_msi_test.py "$msi" "$zip" \
  "$build/packaging/windows/package.json" build || status=1
(cd "$packages" && sha256sum --quiet -c SHA256SUMS) || status=1
wineserver --kill || true
[ $status -eq 0 ] || { echo "windows: tests failed" >&2; exit 1; }
echo "$zip"
echo "$msi"
