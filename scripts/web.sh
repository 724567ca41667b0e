#!/usr/bin/env bash
# Installs what is missing, compiles engine/ and charsets/ to WebAssembly with
# emscripten and puts the one-file offline page together. Prints the page's
# path as its last line.
# Usage: web.sh [BUILD_DIR]   (default: build-web)
set -euo pipefail
cd "$(dirname "$0")/.."
root=$PWD

scripts/install-deps.sh web

out=${1:-build-web}
mkdir -p "$out"
out=$(cd "$out" && pwd)

# emscripten runs its JavaScript tools with whatever node is /usr/bin/node;
# Debian's own modules (acorn) are found only through NODE_PATH.
export NODE_PATH=/usr/share/nodejs${NODE_PATH:+:$NODE_PATH}
# Scratch files of the compiler stay in the build folder.
mkdir -p "$out/tmp"
export TMPDIR="$out/tmp"

# engine/version.h as CMake makes it for the native build.
cmake -S . -B "$out/version" -DTOVRIK_VERSION_ONLY=ON >/dev/null

# Every source of the two folders; the linker drops what the page does not
# reach (the clock among it: the page passes the browser's local time).
sources=(engine/*.cpp charsets/*.cpp)
exports=_tovrik_input,_tovrik_seed_numbers,_tovrik_output,_tovrik_default_list_display
exports+=,_tovrik_list_display,_tovrik_generate,_tovrik_password,_tovrik_report

compile() {
  em++ -std=c++20 -O3 -fno-exceptions -fno-rtti -Wall -Wextra -Werror -I"$root" -I"$out/version/generated" \
    web/engine_bridge.cpp "${sources[@]}" -o "$out/engine.wasm" \
    --no-entry -sSTANDALONE_WASM=1 -sEXPORTED_FUNCTIONS="$exports" \
    -sTOTAL_STACK=65536 -sINITIAL_MEMORY=1048576 -sALLOW_MEMORY_GROWTH=1
}

# Debian's emscripten ships its system libraries in a read-only cache. Where
# that cache cannot serve the build, a writable one in the build folder is
# filled instead (slow the first time, then reused).
if ! compile 2>"$out/emcc.log"; then
  if grep -q -i 'cache' "$out/emcc.log"; then
    echo "web: the system emscripten cache cannot serve this build; using $out/em-cache" >&2
    export EM_CACHE="$out/em-cache" EM_FROZEN_CACHE=
    compile
  else
    cat "$out/emcc.log" >&2
    exit 1
  fi
fi

python3 web/make_page.py "$out/engine.wasm" "$out/tovrik.html"
echo "$out/tovrik.html"
