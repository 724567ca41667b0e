#!/usr/bin/env bash
# Runs a command as a client of its own headless Weston, then stops Weston.
# Weston gets a runtime directory of its own (XDG_RUNTIME_DIR, where its
# socket lives) and, through MODULE (weston_test_seat.so), a seat whose
# keyboard and pointer read commands from $TOVRIK_TEST_SEAT_FIFO. The
# command runs with QT_QPA_PLATFORM=wayland and no X display.
# Usage: with_weston.sh MODULE COMMAND [ARG...]
set -euo pipefail
module=$(realpath "$1")
shift

runtime=$(mktemp -d "${TMPDIR:-/tmp}/tovrik-weston.XXXXXX")
chmod 700 "$runtime"
weston_pid=
stop() {
  if [ -n "$weston_pid" ]; then
    kill "$weston_pid" 2>/dev/null || true
    wait "$weston_pid" 2>/dev/null || true
  fi
  rm -rf "$runtime"
}
trap stop EXIT

export XDG_RUNTIME_DIR=$runtime
export TOVRIK_TEST_SEAT_FIFO=$runtime/seat
mkfifo "$TOVRIK_TEST_SEAT_FIFO"
unset DISPLAY WAYLAND_SOCKET
# No animations, so that a closed window hands the keyboard focus back at
# once; a US keyboard, as the tests type evdev key codes, that does not
# repeat a key held while a loaded machine answers slowly.
printf '%s\n' '[core]' 'idle-time=0' '[shell]' 'animation=none' 'close-animation=none' \
  'startup-animation=none' 'focus-animation=none' '[keyboard]' 'keymap_layout=us' \
  'repeat-rate=0' >"$runtime/weston.ini"
# --use-pixman renders the screen and --debug lets weston-screenshooter take
# a picture of it.
weston --backend=headless-backend.so --socket=wayland-tovrik --config="$runtime/weston.ini" \
  --width=1024 --height=768 --use-pixman --debug --modules="$module" --log="$runtime/weston.log" \
  >/dev/null 2>&1 &
weston_pid=$!
for _ in $(seq 100); do
  [ -S "$runtime/wayland-tovrik" ] && grep -q 'tovrik test seat: reading' "$runtime/weston.log" &&
    break
  kill -0 "$weston_pid" 2>/dev/null || break
  sleep 0.05
done
if ! grep -q 'tovrik test seat: reading' "$runtime/weston.log" 2>/dev/null; then
  echo "with_weston: weston did not start with its test seat" >&2
  cat "$runtime/weston.log" >&2 2>/dev/null || true
  exit 1
fi

export WAYLAND_DISPLAY=wayland-tovrik QT_QPA_PLATFORM=wayland
status=0
"$@" || status=$?
if [ "$status" -ne 0 ]; then
  echo "with_weston: '$*' failed ($status); Weston's log:" >&2
  cat "$runtime/weston.log" >&2
fi
exit "$status"
