#!/usr/bin/env bash
# Runs a command as a client of a headless GNOME or KDE compositor of its
# own, then stops it: mutter (--headless --wayland) or KWin (--virtual),
# each with its own runtime directory and session bus. Under mutter, whose
# headless backend has no input devices, $TOVRIK_TEST_SEAT_FIFO feeds keys
# to mutter_test_seat.py (beside this script); KWin takes input from no
# other client, so there the variable is not set. The command runs with
# QT_QPA_PLATFORM=wayland and no X display.
# Usage: with_desktop.sh mutter|kwin COMMAND [ARG...]
set -euo pipefail
if [ -z "${TOVRIK_DESKTOP_BUS:-}" ]; then
  export TOVRIK_DESKTOP_BUS=1
  exec dbus-run-session -- "$0" "$@" 2> >(grep -v 'Failed to set fd limit' >&2)
fi
desktop=$1
shift
here=$(dirname "$(realpath "$0")")

runtime=$(mktemp -d "${TMPDIR:-/tmp}/tovrik-$desktop.XXXXXX")
chmod 700 "$runtime"
pids=()
stop() {
  for pid in "${pids[@]}"; do
    kill "$pid" 2>/dev/null || true
    wait "$pid" 2>/dev/null || true
  done
  rm -rf "$runtime"
}
trap stop EXIT
export XDG_RUNTIME_DIR=$runtime HOME=$runtime/home
mkdir "$HOME"
unset DISPLAY WAYLAND_SOCKET WAYLAND_DISPLAY TOVRIK_TEST_SEAT_FIFO
log=$runtime/compositor.log
case $desktop in
mutter)
  mutter --headless --wayland --no-x11 --wayland-display=wayland-tovrik \
    --virtual-monitor 1024x768 >"$log" 2>&1 &
  pids+=($!)
  ;;
kwin)
  # kwin_wayland carries a file capability (CAP_SYS_RESOURCE) that a
  # container may not grant, which makes it fail to start: a copy of it
  # carries none, and needs none.
  kwin=$(command -v kwin_wayland)
  if ! "$kwin" --version >/dev/null 2>&1; then
    cp "$kwin" "$runtime/kwin_wayland"
    kwin=$runtime/kwin_wayland
  fi
  QT_QPA_PLATFORM=offscreen "$kwin" --virtual --socket=wayland-tovrik --width 1024 --height 768 \
    --no-lockscreen --no-global-shortcuts --no-kactivities >"$log" 2>&1 &
  pids+=($!)
  ;;
*)
  echo "with_desktop: unknown desktop '$desktop'" >&2
  exit 2
  ;;
esac
for _ in $(seq 200); do
  [ -S "$runtime/wayland-tovrik" ] && break
  kill -0 "${pids[0]}" 2>/dev/null || break
  sleep 0.05
done
if [ ! -S "$runtime/wayland-tovrik" ]; then
  echo "with_desktop: $desktop did not start" >&2
  cat "$log" >&2
  exit 1
fi
export WAYLAND_DISPLAY=wayland-tovrik
if [ "$desktop" = mutter ]; then
  export TOVRIK_TEST_SEAT_FIFO=$runtime/seat
  mkfifo "$TOVRIK_TEST_SEAT_FIFO"
  "$here/mutter_test_seat.py" "$TOVRIK_TEST_SEAT_FIFO" >"$runtime/seat.log" 2>&1 &
  pids+=($!)
  for _ in $(seq 100); do
    grep -q 'reading' "$runtime/seat.log" && break
    sleep 0.05
  done
  if ! grep -q 'reading' "$runtime/seat.log"; then
    echo "with_desktop: no input for mutter" >&2
    cat "$runtime/seat.log" >&2
    exit 1
  fi
fi

export QT_QPA_PLATFORM=wayland
status=0
"$@" || status=$?
if [ "$status" -ne 0 ]; then
  echo "with_desktop: '$*' failed ($status); $desktop's log:" >&2
  cat "$log" >&2
fi
exit "$status"
