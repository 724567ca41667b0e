#!/usr/bin/env bash
# The window on Wayland, driven as a person drives it: keys and clicks go
# through the compositor (the test seat of weston_test_seat.so), so that every
# request that needs an input serial (the clipboard, the popup menus) gets a
# real one. What the compositor knows of the windows (titles, app id, sizes,
# focus, popups) is asked of it; which window names which as its parent is
# read from the window's own Wayland log. Runs under with_weston.sh.
# Usage: wayland_window_test.sh TOVRIK DESKTOP_FILE STORE
# STORE: the store file's place below the configuration folder.
set -euo pipefail
tovrik=$1
desktop_file=$2
store_in_config=$3
. "$(dirname "$0")/window_test_common.sh"
store="$XDG_CONFIG_HOME/$store_in_config"
store_dir=$(dirname "$store")

# Evdev key and button codes.
ESC=1 TAB=15 ENTER=28 LEFTSHIFT=42 F10=68 DOWN=108 END=107 MENU=127 T=20 E=18 S=31
LEFT=272 RIGHT=273
# Qt draws the title bar itself on Weston: the window's content starts 3
# pixels right of and 30 below the top left corner of its surface.
LEFT_MARGIN=3 TOP_MARGIN=30
# Points of the content, in pixels: the dialog's own surface left of the
# first group box, the middle of "割" and that of the set selector.
SURFACE_X=5 SURFACE_Y=5
SPREAD_X=382 SPREAD_Y=256
COMBO_X=359 COMBO_Y=37

seat() { echo "$*" >"$TOVRIK_TEST_SEAT_FIFO"; }
# Keys that open a popup are held until it is there, as a hand holds them
# while the program answers: Weston grants a popup only for the serial of
# the latest key or button event, which a release would replace.
hold() {
  seat press "$@"
  sleep 0.2
  seat release "$@"
}
press_until_popup() {
  seat press "$@"
  wait_windows '^xdg_popup' 2>/dev/null || true
  seat release "$@"
}
tap() { for code in "$@"; do seat key "$code"; done; }
click() { seat click "$1" $(($2 + LEFT_MARGIN)) $(($3 + TOP_MARGIN)); }

# The compositor's windows, one a line: role, title, app id, width, height,
# focused.
windows() {
  rm -f "$work/windows"
  seat windows "$work/windows"
  for _ in $(seq 100); do
    [ -f "$work/windows" ] && break
    sleep 0.02
  done
  cat "$work/windows"
}
# Waits until the window list matches the extended regular expression.
wait_windows() {
  for _ in $(seq 100); do
    windows | grep -Eq "$1" && return 0
    sleep 0.05
  done
  echo "-- windows, waited for: $1" >&2
  windows >&2
  return 1
}
focused_main() { wait_windows $'^xdg_toplevel\tトヴリク \\(.*\t1$'; }
no_popup() {
  for _ in $(seq 100); do
    windows | grep -q '^xdg_popup' || return 0
    sleep 0.05
  done
  return 1
}
main_height() { windows | awk -F'\t' '$1 == "xdg_toplevel" && $2 ~ /^トヴリク \(/ { print $5 }'; }
stored() { sed -n "s/^$1=//p" "$store" 2>/dev/null; }
wait_stored() {
  for _ in $(seq 100); do
    [ "$(stored "$1")" = "$2" ] && return 0
    sleep 0.05
  done
  return 1
}
# Reading the clipboard takes the keyboard focus for a moment (Weston offers
# the selection only to the focused client); it comes back to the window.
paste() {
  local out
  out=$(timeout 5 wl-paste "$@") || return 1
  printf '%s' "$out"
}

# Waits until the clipboard holds a report of $1 passwords and keeps it in
# $work/last; a report reaches the clipboard a moment after its generation.
wait_report() {
  for _ in $(seq 50); do
    if timeout 5 wl-paste --no-newline -t 'text/plain;charset=utf-8' >"$work/last" 2>/dev/null &&
      [ "$(grep -c '^生成パスワード(' "$work/last")" = "$1" ]; then
      focused_main
      return
    fi
    sleep 0.05
  done
  focused_main || true
  return 1
}

start() {
  WAYLAND_DEBUG=client "$tovrik" 2>"$work/wayland.log" &
  app=$!
  wait_windows $'^xdg_toplevel\tトヴリク \\('
}
# The id of the xdg_toplevel whose title begins with $1, from the log.
toplevel_id() {
  grep -F -- "-> xdg_toplevel@" "$work/wayland.log" | grep -F ".set_title(\"$1" |
    sed -n 's/.*-> xdg_toplevel@\([0-9]*\)\.set_title.*/\1/p' | tail -n 1
}
has_parent() { # CHILD_TITLE PARENT_TITLE
  local child parent
  child=$(toplevel_id "$1")
  parent=$(toplevel_id "$2")
  [ -n "$child" ] && [ -n "$parent" ] &&
    grep -q -- "-> xdg_toplevel@$child\.set_parent(xdg_toplevel@$parent)" "$work/wayland.log"
}
finish() {
  tap $ESC
  finish_ended
}
# Waits for the window to end, which must be with status 0 and no warning.
finish_ended() {
  local status=0
  wait "$app" || status=$?
  app=
  [ "$status" -eq 0 ] || fail "the window ended with status $status"
  # Qt's own warnings, without the protocol log.
  if warnings_in "$work/wayland.log" | grep -q .; then
    fail "the window printed warnings:"
    warnings_in "$work/wayland.log"
  fi
}

# The clipboard once the window has ended, as Weston keeps it: a report of
# $1 passwords.
after_end_report() {
  local out
  out=$(timeout 5 wl-paste --no-newline -t text/plain 2>/dev/null) &&
    [ "$(grep -c '^生成パスワード(' <<<"$out")" = "$1" ]
}

echo "== a start on a new store, the clipboard, 割, the window menu and the about box"
store_with_key "$store"
start
focused_main || fail "the window did not get the keyboard focus"

# The desktop finds the icon through the app id: the desktop entry's name.
app_id=$(windows | awk -F'\t' '$1 == "xdg_toplevel" { print $3; exit }')
entry=$(basename "$desktop_file" .desktop)
icon=$(sed -n 's/^Icon=//p' "$desktop_file")
if [ "$app_id" = "$entry" ] && [ "$icon" = "$entry" ]; then
  pass "app id $app_id names the desktop entry and its icon"
else
  fail "app id '$app_id', desktop entry '$entry', icon '$icon'"
fi

hold $ENTER
wait_report 1 || fail "no report after 生成"
types=$(paste --list-types) || types=
focused_main || true
if grep -qx 'text/plain;charset=utf-8' <<<"$types" && grep -qx 'x-kde-passwordManagerHint' <<<"$types"; then
  pass "生成 offers the report as text with the secret hint"
else
  fail "offered types: $(tr '\n' ' ' <<<"$types")"
fi
[ "$(paste -t x-kde-passwordManagerHint)" = secret ] && pass "the hint says secret" ||
  fail "the hint is not 'secret'"
timeout 5 wl-paste --no-newline -t 'text/plain;charset=utf-8' >"$work/report" || true
if head -n 1 "$work/report" | grep -q $'^\\[ トヴリク ver1.02 \\]\r$' &&
  [ "$(grep -c $'^生成パスワード( 1): .*\r$' "$work/report")" = 1 ] &&
  [ "$(tail -c 2 "$work/report" | od -An -c | tr -d ' ')" = '\r\n' ]; then
  pass "the report reads back whole, with CR LF line ends"
else
  fail "the report read back:"
  cat -A "$work/report"
fi
focused_main || fail "the focus did not come back after the clipboard was read"

# Five clicks on 割: the window grows by its rows and comes back to its size.
base=$(main_height)
heights=()
growth=([1]=0 [2]=0 [3]=23 [4]=69 [0]=0)
for level in 1 2 3 4 0; do
  click $LEFT $SPREAD_X $SPREAD_Y
  wait_stored spread $level || fail "割 did not reach level $level"
  # The compositor learns the new size with the window's next frame.
  for _ in $(seq 50); do
    [ "$(main_height)" = $((base + growth[level])) ] && break
    sleep 0.05
  done
  heights+=($(($(main_height) - base)))
done
if [ "${heights[*]}" = "0 0 23 69 0" ]; then
  pass "割 grows the window by 0, 0, 23, 69 and back (window height $base)"
else
  fail "height changes at levels 1 2 3 4 0: ${heights[*]}"
fi
# Three clicks read in one batch: each generation's report replaces the one
# before it, and the last one is what the clipboard holds, marked.
click $LEFT $SPREAD_X $SPREAD_Y
click $LEFT $SPREAD_X $SPREAD_Y
click $LEFT $SPREAD_X $SPREAD_Y
wait_stored spread 3
if wait_report 8 && [ "$(paste -t x-kde-passwordManagerHint)" = secret ]; then
  pass "the last of quick generations is on the clipboard, marked"
else
  fail "after quick generations of 2, 4 and 8 the clipboard offers $(paste --list-types | tr '\n' ' ')"
fi
focused_main || true
for level in 4 0; do
  click $LEFT $SPREAD_X $SPREAD_Y
  wait_stored spread $level
done
wait_report 1 || fail "no report of one password after 割 came back to level 0"

# The window menu: a right click, the Menu key and Shift+F10 open it.
menu_opens() { # NAME ACTION...
  local name=$1
  shift
  "$@"
  if wait_windows '^xdg_popup'; then
    pass "$name opens the window menu"
  else
    fail "$name opens no menu"
  fi
  tap $ESC
  no_popup || fail "Esc did not close the menu opened by $name"
  focused_main || true
}
menu_opens "a right click" click $RIGHT $SURFACE_X $SURFACE_Y
menu_opens "the Menu key" press_until_popup $MENU
menu_opens "Shift+F10" press_until_popup $LEFTSHIFT $F10

# Its item opens the about box, a window of the main window's; OK renames.
press_until_popup $LEFTSHIFT $F10
wait_windows '^xdg_popup' || fail "Shift+F10 opens no menu"
hold $ENTER
if wait_windows $'^xdg_toplevel\tトヴリクのバージョン情報\t.*\t1$'; then
  has_parent トヴリクのバージョン情報 "トヴリク (" &&
    pass "the about box opens as a window of the main window" ||
    fail "the about box names no parent"
  tap $TAB
  tap $T $E $S $T
  hold $ENTER
  wait_windows $'^xdg_toplevel\tトヴリク \\(testさん用\\)\t.*\t1$' &&
    pass "OK in the about box renames the window and gives it the focus back" ||
    fail "the title did not follow the about box"
  [ "$(stored 'user%20name')" = test ] || fail "the name was not saved"
else
  fail "the menu item opens no about box"
fi

finish
# Nothing is handed over at the end as on X11: Weston took a copy of the
# first type offered (text/plain) when the report was set, and offers it now
# that the window is gone, without the secret hint.
if [ "$(timeout 5 wl-paste --list-types 2>&1)" = text/plain ] &&
  timeout 5 wl-paste --no-newline -t text/plain | cmp -s - "$work/last"; then
  pass "with the window gone, Weston's copy of the last report stays, unmarked"
else
  fail "after the window ended the clipboard offers: $(timeout 5 wl-paste --list-types 2>&1 | tr '\n' ' ')"
fi

echo "== a report, then Esc at once: the report stays once the window is gone"
store_with_key "$store"
start
focused_main || true
tap $ENTER $ESC
finish_ended
after_end_report 1 && pass "Enter then Esc at once leave the report" ||
  fail "Enter then Esc at once left no report"
# A second generation's report replaces the first, also when Esc follows it.
start
focused_main || true
hold $ENTER
wait_report 1 || fail "no report after 生成"
click $LEFT $SPREAD_X $SPREAD_Y
tap $ESC
finish_ended
after_end_report 2 && pass "割 then Esc at once leave the report of 割" ||
  fail "割 then Esc at once did not leave the report of 割"

echo "== the title bar's maximise button, on each window"
store_with_key "$store"
start
focused_main || true
maximise() { # TITLE_PATTERN: clicks the maximise button of the focused window
  local width
  width=$(windows | awk -F'\t' -v t="$1" '$1 == "xdg_toplevel" && $2 ~ t && $6 == 1 { print $4 }')
  # Qt's title bar: 30 pixels high, the maximise button's middle 40 pixels
  # left of the window's right edge.
  seat click $LEFT $((width - 40)) 15
}
width_of() { windows | awk -F'\t' -v t="$1" '$1 == "xdg_toplevel" && $2 ~ t { print $4 }'; }
normal_width=$(width_of '^トヴリク \\(')
maximise '^トヴリク \\('
if wait_windows $'^xdg_toplevel\tトヴリク \\(.*\t1024\t7[0-9][0-9]\t1$'; then
  pass "the main window maximised"
else
  fail "the main window did not maximise"
fi
hold $ENTER
wait_report 1 || fail "no report from the maximised window"
click $LEFT $SPREAD_X $SPREAD_Y
wait_stored spread 1 || fail "割 did nothing in the maximised window"
maximise '^トヴリク \\('
for _ in $(seq 50); do
  [ "$(width_of '^トヴリク \\(')" = "$normal_width" ] && break
  sleep 0.05
done
[ "$(width_of '^トヴリク \\(')" = "$normal_width" ] && pass "and came back to its size" ||
  fail "the main window is $(width_of '^トヴリク \\(') wide, not $normal_width, after a second click"
# The about box, from the window menu. A click on the window first: the
# pointer's entering it again after the last click would give Qt a serial
# that is not one of a key or a button, for which Weston opens no popup.
# The menu by a right click: its keys are tried above, and right after the
# window comes back from maximised, Qt on Weston now and then lets them
# open nothing (about one run in five, more on a busy machine).
focused_main || true
click $RIGHT $SURFACE_X $SURFACE_Y
wait_windows '^xdg_popup' || fail "a right click opens no menu"
tap $DOWN
hold $ENTER
if wait_windows $'^xdg_toplevel\tトヴリクのバージョン情報\t.*\t1$'; then
  maximise '^トヴリクのバージョン情報'
  wait_windows $'^xdg_toplevel\tトヴリクのバージョン情報\t.*\t1024\t7[0-9][0-9]\t1$' &&
    pass "the about box maximised" || fail "the about box did not maximise"
  tap $ESC
  focused_main || fail "Esc did not close the maximised about box"
else
  fail "no about box"
fi
# The add dialog, from the set selector's last entry.
click $LEFT $COMBO_X $COMBO_Y
wait_windows '^xdg_popup' || fail "the set selector did not open"
tap $END $ENTER
if wait_windows $'^xdg_toplevel\t文字セットの追加\t.*\t1$'; then
  maximise '^文字セットの追加'
  wait_windows $'^xdg_toplevel\t文字セットの追加\t.*\t1024\t7[0-9][0-9]\t1$' &&
    pass "the add dialog maximised" || fail "the add dialog did not maximise"
  tap $ESC
  focused_main || fail "Esc did not close the maximised add dialog"
else
  fail "no add dialog"
fi
finish

echo "== a store that cannot be read: the warning over the window"
rm -rf "$XDG_CONFIG_HOME"
mkdir -p -m 700 "$store_dir"
# A text in a typed form is no text: the window warns at once, whoever runs
# the test (root included), and Enter keeps the store as it is.
printf '[setting102]\nseed1=@ByteArray(x)\n' >"$store"
chmod 600 "$store"
start
if wait_windows $'^xdg_toplevel\ttovrik\t.*\t1$'; then
  has_parent tovrik "トヴリク (" &&
    pass "the store warning opens as a window of the main window" ||
    fail "the store warning names no parent"
  hold $ENTER
  focused_main && pass "Enter (保存しない) gives the focus back to the main window" ||
    fail "the main window did not get the focus back"
else
  fail "no store warning"
fi
finish
printf '[setting102]\nseed1=@ByteArray(x)\n' | cmp -s - "$store" &&
  pass "the store is left as it was" || fail "the store was saved over"

[ "$failures" -eq 0 ]
