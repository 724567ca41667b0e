#!/usr/bin/env bash
# The first start as a new user meets it, on a virtual X server: the window
# asks for the owner key over itself; the key typed there is in the store,
# owner-only, and makes the passwords that tovrik-gen makes from the store;
# the next start does not ask again.
# Usage: first_start_test.sh TOVRIK TOVRIK_GEN STORE
# STORE: the store file's place below the configuration folder.
set -euo pipefail
tovrik=$1 gen=$2 store_in_config=$3
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
export XDG_CONFIG_HOME=$work/config QT_QPA_PLATFORM=xcb LANGUAGE=ja
store=$XDG_CONFIG_HOME/$store_in_config
key='saturday liquid impaired never python anew gift'

# shellcheck disable=SC2016 # the script expands its variables itself
xvfb-run -a -s "-screen 0 800x600x24" bash -ec '
  tovrik=$1 work=$2 key=$3
  window() { # TITLE_PATTERN: the id of the first window of that title, waited for
    local id
    for _ in $(seq 100); do
      id=$(xdotool search --name "$1" 2>/dev/null | head -n 1)
      [ -n "$id" ] && echo "$id" && return
      sleep 0.1
    done
  }
  "$tovrik" &
  app=$!
  asked=$(window "^所有者キーの設定\$")
  echo "${asked:+asked}" >"$work/first"
  if [ -n "$asked" ]; then
    xdotool windowfocus --sync "$asked"
    xdotool type --delay 10 "$key"
    xdotool key Tab
    xdotool type --delay 10 "$key"
    xdotool key Return
    sleep 0.5
    xdotool windowfocus --sync "$(window "^トヴリク \\(")"
    xdotool key Return
    sleep 0.5
    xclip -o -selection clipboard >"$work/report" || true
  fi
  xdotool key Escape
  wait $app || true

  "$tovrik" &
  app=$!
  main=$(window "^トヴリク \\(")
  sleep 1
  xdotool search --name "^所有者キーの設定\$" >/dev/null 2>&1 && echo asked >"$work/second"
  xdotool windowfocus --sync "$main"
  xdotool key Escape
  wait $app || true
' first-start "$tovrik" "$work" "$key"

failures=0
fail() { echo "FAIL: $*"; failures=$((failures + 1)); }
[ "$(cat "$work/first")" = asked ] || fail "the first start did not ask for the owner key"
grep -qxF "unique%20key=$key" "$store" || fail "the store does not hold the typed key"
[ "$(stat -c %a "$store")" = 600 ] || fail "the store's mode is $(stat -c %a "$store")"
shown=$(sed -n 's/^生成パスワード( 1): //p' "$work/report" | tr -d '\r')
from_store=$("$gen" | head -n 1)
[ -n "$shown" ] && [ "$shown" = "$from_store" ] ||
  fail "the window made '$shown', tovrik-gen '$from_store' from the store"
[ ! -e "$work/second" ] || fail "the second start asked for the owner key again"
echo "$((5 - failures)) passed, $failures failed"
[ "$failures" -eq 0 ]
