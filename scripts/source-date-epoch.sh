#!/usr/bin/env bash
# Prints the time that the packages give every file they hold, so that two
# builds of one commit are the same bytes: SOURCE_DATE_EPOCH when it is set,
# else the time of the last commit, else (outside a git checkout) the present
# time, with a note that such a build cannot be made again.
set -euo pipefail
cd "$(dirname "$0")/.."
if [ -n "${SOURCE_DATE_EPOCH:-}" ]; then
  echo "$SOURCE_DATE_EPOCH"
elif ! git log -1 --format=%ct 2>/dev/null; then
  echo "source-date-epoch: not a git checkout; the packages take the present time" >&2
  date +%s
fi
