#!/usr/bin/env bash
# The window under GNOME's or KDE's compositor (with_desktop.sh runs it):
# its window states through the widget tests, then the real window: it
# starts with no warning, Enter puts a report marked secret on the
# clipboard, and Esc ends it with status 0. Keys go through mutter's remote
# desktop service ($TOVRIK_TEST_SEAT_FIFO); KWin takes input from no test
# client, so there the report is not made and SIGTERM, which ends the
# window as Esc does, stands for Esc.
# Usage: desktop_window_test.sh TOVRIK UI_TESTS STORE
# STORE: the store file's place below the configuration folder.
set -euo pipefail
tovrik=$1
ui_tests=$2
. "$(dirname "$0")/window_test_common.sh"
store_with_key "$XDG_CONFIG_HOME/$3"
ESC=1 ENTER=28
seat() { [ -n "${TOVRIK_TEST_SEAT_FIFO:-}" ] && echo "$*" >"$TOVRIK_TEST_SEAT_FIFO"; }
hold() {
  seat press "$@"
  sleep 0.2
  seat release "$@"
}

echo "== maximised, full screen and back, as Qt's title bar asks"
"$ui_tests" --gtest_filter='WindowTest.MaximisedOrFullScreen*:SystemClipboard.*' >"$work/ui.log" 2>&1 &&
  pass "the windows live through each state and come back to their size" ||
  { fail "the window states:"; cat "$work/ui.log"; }

echo "== the window"
WAYLAND_DEBUG=client "$tovrik" 2>"$work/wayland.log" &
app=$!
for _ in $(seq 200); do
  grep -q 'wl_keyboard@[0-9]*\.enter(' "$work/wayland.log" && break
  sleep 0.05
done
grep -q 'wl_keyboard@[0-9]*\.enter(' "$work/wayland.log" && pass "the window has the keyboard focus" ||
  fail "the window did not get the keyboard focus"
if [ -n "${TOVRIK_TEST_SEAT_FIFO:-}" ]; then
  hold $ENTER
  for _ in $(seq 100); do
    types=$(timeout 5 wl-paste --list-types 2>/dev/null) || types=
    grep -qx x-kde-passwordManagerHint <<<"$types" && break
    sleep 0.05
  done
  if grep -qx 'text/plain;charset=utf-8' <<<"$types" && grep -qx x-kde-passwordManagerHint <<<"$types"; then
    pass "Enter offers the report as text with the secret hint"
  else
    fail "after Enter the clipboard offers: $(tr '\n' ' ' <<<"$types")"
  fi
  # Reading the clipboard took the focus for a moment.
  sleep 0.3
  seat key $ESC
else
  echo "-- no input here: SIGTERM ends the window"
  kill -TERM "$app"
fi
status=0
for _ in $(seq 100); do
  kill -0 "$app" 2>/dev/null || break
  sleep 0.05
done
if kill -0 "$app" 2>/dev/null; then
  fail "the window did not end"
else
  wait "$app" || status=$?
  app=
  [ "$status" -eq 0 ] && pass "the window ended with status 0" ||
    fail "the window ended with status $status"
fi
if warnings_in "$work/wayland.log" | grep -q .; then
  fail "the window printed warnings:"
  warnings_in "$work/wayland.log"
else
  pass "no warning"
fi
if [ -n "${TOVRIK_TEST_SEAT_FIFO:-}" ]; then
  out=$(timeout 5 wl-paste --no-newline 2>/dev/null) || out=
  grep -q '^生成パスワード( 1): ' <<<"$out" && pass "the report stays once the window is gone" ||
    fail "after the end the clipboard holds: $out"
fi

[ "$failures" -eq 0 ]
