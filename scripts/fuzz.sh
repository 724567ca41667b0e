#!/usr/bin/env bash
# Builds the libFuzzer targets of fuzz/ with clang 14 under AddressSanitizer
# and UndefinedBehaviorSanitizer, and runs each for SECONDS (default 30),
# starting from its seed corpus in fuzz/corpus/ and its dictionary in
# fuzz/dict/, if it has one. Prints libFuzzer's closing summary per target.
# Exits non-zero on any crash, leak, timeout or sanitizer report; the input
# that caused it is kept in build-fuzz/artifacts/.
# Usage: fuzz.sh [SECONDS]
set -euo pipefail
cd "$(dirname "$0")/.."

seconds=${1:-30}
[[ $seconds =~ ^[1-9][0-9]*$ ]] || { echo "usage: fuzz.sh [SECONDS]" >&2; exit 2; }

scripts/install-deps.sh build fuzz
# The sanitizers check more than the hardening flags would.
scripts/build.sh build-fuzz -DTOVRIK_FUZZ=ON -DTOVRIK_HARDEN=OFF -DCMAKE_CXX_COMPILER=clang++-14

export ASAN_OPTIONS=detect_leaks=1
export UBSAN_OPTIONS=halt_on_error=1:print_stacktrace=1
# Some targets write a file per input: on a memory file system if there is one.
if [ -d /dev/shm ] && [ -w /dev/shm ]; then
  export TMPDIR=/dev/shm
fi

mkdir -p build-fuzz/artifacts build-fuzz/logs
failed=()
for source in fuzz/*_fuzz.cpp; do
  target=$(basename "$source" .cpp)
  name=${target%_fuzz}
  work=build-fuzz/corpus/$name
  log=build-fuzz/logs/$name.log
  mkdir -p "$work"
  args=(-max_total_time="$seconds" -timeout=60 -print_final_stats=1
        -artifact_prefix="build-fuzz/artifacts/$name-")
  [ -f "fuzz/dict/$name.dict" ] && args+=(-dict="fuzz/dict/$name.dict")

  echo "== fuzz $name, $seconds s"
  if "build-fuzz/fuzz/$target" "${args[@]}" "$work" "fuzz/corpus/$name" >"$log" 2>&1 &&
     ! grep -qE 'ERROR: (AddressSanitizer|LeakSanitizer|libFuzzer)|runtime error:' "$log"; then
    grep -E '^#[0-9]+[[:space:]]+DONE|^Done [0-9]+ runs|^stat::(number_of_executed_units|peak_rss_mb)' "$log"
  else
    tail -n 60 "$log"
    echo "fuzz: $name failed (log: $log, input: build-fuzz/artifacts/$name-*)" >&2
    failed+=("$name")
  fi
done

if [ ${#failed[@]} -ne 0 ]; then
  echo "fuzz: failed: ${failed[*]}" >&2
  exit 1
fi
