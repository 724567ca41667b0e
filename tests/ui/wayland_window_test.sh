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
work=$(mktemp -d)
app=
cleanup() {
  [ -n "$app" ] && kill "$app" 2>/dev/null && wait "$app" 2>/dev/null
  rm -rf "$work"
}
trap cleanup EXIT
export XDG_CONFIG_HOME=$work/config
store="$XDG_CONFIG_HOME/$store_in_config"
store_dir=$(dirname "$store")

failures=0
fail() {
  echo "FAIL: $*"
  failures=$((failures + 1))
}
pass() { echo "ok: $*"; }

# Evdev key and button codes.
ESC=1 TAB=15 ENTER=28 LEFTSHIFT=42 F10=68 MENU=127 T=20 E=18 S=31
LEFT=272 RIGHT=273
# Qt draws the title bar itself on Weston: the window's content starts 3
# pixels right of and 30 below the top left corner of its surface.
LEFT_MARGIN=3 TOP_MARGIN=30
# Points of the content, in pixels: the dialog's own surface left of the
# first group box, and the middle of "割".
SURFACE_X=5 SURFACE_Y=5
SPREAD_X=382 SPREAD_Y=256

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
  local status=0
  wait "$app" || status=$?
  app=
  [ "$status" -eq 0 ] || fail "the window ended with status $status"
  # Qt's own warnings, without the protocol log.
  if grep -v -E '^\[ *[0-9]+\.[0-9]+\] ' "$work/wayland.log" | grep -q .; then
    fail "the window printed warnings:"
    grep -v -E '^\[ *[0-9]+\.[0-9]+\] ' "$work/wayland.log"
  fi
}

echo "== a first start, the clipboard, 割, the window menu and the about box"
rm -rf "$XDG_CONFIG_HOME"
mkdir -p "$XDG_CONFIG_HOME"
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
