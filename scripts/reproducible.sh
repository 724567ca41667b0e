#!/usr/bin/env bash
# Builds the packages a second time from a copy of this source in another
# folder, with another time zone and umask, and checks that they are the
# same bytes as those of the usual build; where they differ, diffoscope shows
# how. `deb` (CI runs it) compares the Debian package of scripts/package.sh;
# `windows` the zip and the installer of scripts/windows.sh, whose first
# build must have run (its second build skips the tests).
# Usage: reproducible.sh deb|windows
set -euo pipefail
cd "$(dirname "$0")/.."
root=$PWD
what=${1:-}
case "$what" in
deb | windows) ;;
*) echo "usage: reproducible.sh deb|windows" >&2; exit 2 ;;
esac

scripts/install-deps.sh reproducible
# Both builds take the packages' time from this checkout; the copy is no
# git checkout.
SOURCE_DATE_EPOCH=$(scripts/source-date-epoch.sh)
export SOURCE_DATE_EPOCH
work=$(mktemp -d /tmp/tovrik-reproducible.XXXXXX)
trap 'rm -rf "$work"' EXIT
copy=$work/elsewhere/tovrik
mkdir -p "$copy"
# The files of the source as they are now, committed or not, without builds,
# each with the time of the copy.
git ls-files -z --cached --others --exclude-standard | tar --null -T - -c | tar -x -m -C "$copy"

if [ "$what" = deb ]; then
  first=$(scripts/package.sh --no-lintian | tail -n 1)
  second=$(cd "$copy" && umask 0002 && TZ=Asia/Tokyo scripts/package.sh --no-lintian | tail -n 1)
  pairs=("$first" "$second")
else
  first_dir=$root/build-windows/packages
  [ -f "$first_dir/SHA256SUMS" ] || { echo "reproducible: run scripts/windows.sh first" >&2; exit 1; }
  # The first build's packages again, with this SOURCE_DATE_EPOCH.
  cmake --build build-windows --target tovrik_windows_packages >&2
  (cd "$copy" && umask 0002 && TZ=Asia/Tokyo TOVRIK_WINDOWS_TESTS=OFF scripts/windows.sh build-windows) |
    tail -n 2 >"$work/second"
  pairs=()
  while read -r second; do
    pairs+=("$first_dir/$(basename "$second")" "$second")
  done <"$work/second"
fi

status=0
for ((i = 0; i < ${#pairs[@]}; i += 2)); do
  a=${pairs[i]} b=${pairs[i + 1]}
  if cmp -s "$a" "$b"; then
    echo "reproducible: $(basename "$a") is the same in both builds"
  else
    echo "reproducible: $(basename "$a") differs between $a and $b:" >&2
    diffoscope --text - "$a" "$b" | head -n 200 >&2 || true
    status=1
  fi
done
exit $status
