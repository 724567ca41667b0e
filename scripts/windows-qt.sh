#!/usr/bin/env bash
# Builds Qt for 64-bit Windows from Debian's own qt6-base source package with
# MinGW-w64, and installs it in a cache folder outside the checkout. Does
# nothing when a complete build is already there: a stamp file records the
# source's checksum and the configure options, and a build whose stamp differs
# is made again. Prints the install prefix as its last line.
#
# Usage: windows-qt.sh
# Environment: TOVRIK_QT_WINDOWS (the prefix; default
# ~/.cache/tovrik/qt-<version>-mingw64).
set -euo pipefail
cd "$(dirname "$0")/.."
root=$PWD

scripts/install-deps.sh windows

# The Linux Qt's version is the one built for Windows: its moc, rcc and uic
# are the host tools of the cross build, and they must match it.
version=$(dpkg-query -W -f='${Version}' qt6-base-dev)
upstream=${version%%+*}
cache=${XDG_CACHE_HOME:-$HOME/.cache}/tovrik
prefix=${TOVRIK_QT_WINDOWS:-$cache/qt-$upstream-mingw64}

# A minimal shared Qt: Core, Gui, Widgets and Test, the windows and offscreen
# platform plugins and the Windows styles, with its own copies of zlib, PCRE2,
# HarfBuzz, FreeType and libpng. Debian's source lacks wintab.h (removed for
# its licence), which the windows plugin needs only for tablet events.
options=(
  -DCMAKE_BUILD_TYPE=Release
  -DBUILD_SHARED_LIBS=ON
  -DQT_BUILD_EXAMPLES=OFF
  -DQT_BUILD_TESTS=OFF
  -DQT_BUILD_BENCHMARKS=OFF
  -DFEATURE_tabletevent=OFF
  -DFEATURE_opengl=OFF
  -DFEATURE_dynamicgl=OFF
  -DFEATURE_vulkan=OFF
  -DFEATURE_dbus=OFF
  -DFEATURE_network=OFF
  -DFEATURE_sql=OFF
  -DFEATURE_printsupport=OFF
  -DFEATURE_xml=OFF
  -DFEATURE_icu=OFF
  -DFEATURE_concurrent=OFF
  -DFEATURE_openssl=OFF
  -DFEATURE_system_zlib=OFF
  -DFEATURE_system_pcre2=OFF
  -DFEATURE_system_harfbuzz=OFF
  -DFEATURE_system_freetype=OFF
  -DFEATURE_system_png=OFF
  -DFEATURE_system_jpeg=OFF
  -DFEATURE_jpeg=OFF
  -DFEATURE_gif=OFF
  -DFEATURE_sql_sqlite=OFF
)

# The source package, from a deb-src entry of the archive that the machine
# already uses (a file of its own; the existing entries stay as they are).
src_list=/etc/apt/sources.list.d/tovrik-deb-src.sources
if ! apt-get indextargets --format '$(CREATED_BY)' 2>/dev/null | grep -qx Sources; then
  sudo=()
  [ "$(id -u)" -ne 0 ] && sudo=(sudo)
  # Every deb stanza of the Debian archive, repeated as deb-src.
  entries=$(for f in /etc/apt/sources.list.d/*.sources; do
    [ -f "$f" ] || continue
    awk 'BEGIN{RS=""; ORS="\n\n"} /(^|\n)Types:[^\n]*deb/ && /URIs:[^\n]*debian/ {
           sub(/Types:[^\n]*/, "Types: deb-src"); print }' "$f"
  done)
  if [ -f /etc/apt/sources.list ]; then
    lines=$(grep -E '^deb[[:space:]].*debian' /etc/apt/sources.list | sed 's/^deb /deb-src /' || true)
    [ -n "$lines" ] && { src_list=/etc/apt/sources.list.d/tovrik-deb-src.list; entries=$lines; }
  fi
  [ -n "$entries" ] || { echo "windows-qt: no Debian archive found in apt's sources" >&2; exit 1; }
  printf '%s\n' "$entries" | "${sudo[@]}" tee "$src_list" >/dev/null
  "${sudo[@]}" apt-get -o DPkg::Lock::Timeout=900 -qq update
fi

work=$cache/qt-$upstream-src
mkdir -p "$work"
cd "$work"
# The .dsc names the source's files with their checksums; it is all that the
# stamp needs to tell one source from another.
if ! ls qt6-base_"$version".dsc >/dev/null 2>&1; then
  apt-get -qq source --download-only qt6-base="$version"
fi
dsc=$work/qt6-base_$version.dsc
stamp_text=$(printf 'source %s\noptions %s\n' "$(sha256sum <"$dsc" | cut -d' ' -f1)" "${options[*]}")
if [ -f "$prefix/tovrik-stamp" ] && [ "$(cat "$prefix/tovrik-stamp")" = "$stamp_text" ]; then
  echo "$prefix"
  exit 0
fi

# A build that stopped (a machine that went down, a full disk) goes on from
# where it was when its source and options are the same.
trap 'echo "windows-qt: failed; the end of $work/build.log:" >&2; tail -n 40 "$work/build.log" >&2' ERR
start=$(date +%s)
if [ "$(cat build/tovrik-stamp 2>/dev/null)" != "$stamp_text" ]; then
  rm -rf source build
  dpkg-source --no-check -x "$dsc" source >/dev/null
  cmake -S source -B build -G Ninja \
    -DCMAKE_TOOLCHAIN_FILE="$root/cmake/mingw-w64-x86_64.cmake" \
    -DQT_HOST_PATH=/usr \
    -DQT_HOST_PATH_CMAKE_DIR=/usr/lib/x86_64-linux-gnu/cmake \
    -DCMAKE_INSTALL_PREFIX="$prefix" \
    "${options[@]}" >build.log
  printf '%s\n' "$stamp_text" >build/tovrik-stamp
fi
cmake --build build >>build.log
rm -rf "$prefix"
cmake --install build >>build.log
# Qt stays in its own DLLs under the LGPL; its licence texts travel with them.
mkdir -p "$prefix/licenses"
cp source/LICENSES/*.txt "$prefix/licenses/" 2>/dev/null || cp source/LICENSE.* "$prefix/licenses/"
printf '%s\n' "$stamp_text" >"$prefix/tovrik-stamp"
echo "windows-qt: built in $(($(date +%s) - start)) s" >&2
rm -rf source build
echo "$prefix"
