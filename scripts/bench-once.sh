#!/usr/bin/env bash
# Runs every benchmark program of a build once, briefly, and fails if one
# fails or crashes; a program's output is shown only when it fails.
# Usage: bench-once.sh [BUILD_DIR]   (default: build)
set -euo pipefail
cd "$(dirname "$0")/.."
build=${1:-build}
export QT_QPA_PLATFORM=${QT_QPA_PLATFORM:-offscreen}

run_quietly() {
  local log status=0
  log=$(mktemp)
  "$@" >"$log" 2>&1 || status=$?
  [ "$status" -eq 0 ] || { cat "$log"; echo "failed ($status): $*" >&2; }
  rm -f "$log"
  return "$status"
}

found=0
for exe in "$build"/bench/*_bench; do
  [ -x "$exe" ] || continue
  found=1
  case "$(basename "$exe")" in
    startup_bench) run_quietly "$exe" real && run_quietly "$exe" minimal ;;
    *) run_quietly "$exe" --benchmark_min_time=0.01 ;;
  esac
done
[ "$found" -eq 1 ] || { echo "bench-once: no benchmark programs in $build/bench" >&2; exit 1; }
