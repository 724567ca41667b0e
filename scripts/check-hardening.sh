#!/usr/bin/env bash
# Checks that the programs of a build tree are hardened: position-independent,
# full RELRO (BIND_NOW), stack protector and fortified libc calls, and that
# they still give the golden passwords. For a Windows build (its bin/ holds
# .exe files): ASLR with high entropy, DEP and the stack protector, from the
# PE headers. Usage: check-hardening.sh BUILD_DIR
set -euo pipefail
cd "$(dirname "$0")/.."
dir=${1:-build}
status=0
fail() { echo "check-hardening: $1" >&2; status=1; }

if [ -f "$dir/bin/tovrik.exe" ]; then
  for bin in "$dir"/bin/tovrik.exe "$dir"/bin/tovrik-gen.exe "$dir"/bin/tovrik-settings.exe; do
    headers=$(x86_64-w64-mingw32-objdump -p "$bin")
    for flag in HIGH_ENTROPY_VA DYNAMIC_BASE NX_COMPAT; do
      grep -A4 DllCharacteristics <<<"$headers" | grep -qw "$flag" || fail "$bin lacks $flag"
    done
    grep -q '__stack_chk_fail' <<<"$headers" || fail "$bin has no stack protector"
  done
  [ $status -eq 0 ] && echo "check-hardening: the programs of $dir are hardened"
  exit $status
fi

for bin in "$dir/cli/tovrik-gen" "$dir/cli/tovrik-settings" "$dir/ui/tovrik"; do
  [ -x "$bin" ] || { fail "$bin is missing"; continue; }
  header=$(readelf -h "$bin")
  segments=$(readelf -lW "$bin")
  dynamic=$(readelf -dW "$bin")
  syms=$(readelf --dyn-syms -W "$bin")
  grep -q 'Type:[[:space:]]*DYN' <<<"$header" || fail "$bin is not position-independent"
  grep -q GNU_RELRO <<<"$segments" || fail "$bin has no RELRO segment"
  grep -Eq 'BIND_NOW|FLAGS_1.*NOW' <<<"$dynamic" || fail "$bin lacks BIND_NOW"
  grep -q '__stack_chk_fail' <<<"$syms" || fail "$bin has no stack protector"
  # A fortified call shows as its checking variant, such as __read_chk.
  # tovrik-settings, built with the same flags, makes no call whose bounds
  # are checked at run time, so it has none to show.
  [ "${bin##*/}" = tovrik-settings ] || grep -Eq '__[a-z0-9_]+_chk@' <<<"$syms" ||
    fail "$bin has no fortified calls"
done

# The hardened tovrik-gen as a user runs it: the golden passwords and the rest
# of the harness's cases.
python3 tests/cli/end_to_end_test.py "$dir/cli/tovrik-gen" tests/cli/store >/dev/null ||
  fail "the hardened tovrik-gen fails the end-to-end cases"

[ $status -eq 0 ] && echo "check-hardening: the programs of $dir are hardened"
exit $status
