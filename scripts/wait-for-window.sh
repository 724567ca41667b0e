#!/usr/bin/env bash
# Waits for an X11 window whose name matches PATTERN (an extended regular
# expression, as xdotool search --name takes it) and prints its id. Fails
# with a message naming what it waited for when none appears within SECONDS
# (default 10), or at once when the process PID, given, ends first.
# Usage: wait-for-window.sh PATTERN [SECONDS [PID]]
set -euo pipefail
if [ $# -lt 1 ] || [ $# -gt 3 ]; then
  echo "usage: wait-for-window.sh PATTERN [SECONDS [PID]]" >&2
  exit 2
fi
pattern=$1
seconds=${2:-10}
pid=${3:-}

# Tenths of a second, counted rather than read from the clock, so that the
# whole time is waited whatever second it starts in.
for ((tenths = seconds * 10; ; tenths--)); do
  win=$(xdotool search --name "$pattern" 2>/dev/null | head -n 1) || true
  if [ -n "$win" ]; then
    echo "$win"
    exit 0
  fi
  if [ -n "$pid" ] && ! kill -0 "$pid" 2>/dev/null; then
    echo "wait-for-window.sh: process $pid ended before a window named /$pattern/ appeared" >&2
    exit 1
  fi
  if [ "$tenths" -le 0 ]; then
    echo "wait-for-window.sh: no window named /$pattern/ appeared within $seconds s" >&2
    exit 1
  fi
  sleep 0.1
done
