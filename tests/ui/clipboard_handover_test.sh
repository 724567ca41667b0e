#!/usr/bin/env bash
# On X11 the clipboard lives in the program that set it. When a clipboard
# manager runs, the window must hand the report over to it as it ends. Runs
# the window on its own virtual X server with a stand-in manager, makes one
# generation (Enter), closes the window (Esc) and checks what the manager
# was offered. Usage: clipboard_handover_test.sh TOVRIK PROBE STORE
# STORE: the store file's place below the configuration folder.
set -euo pipefail
tovrik=$1
probe=$2
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT

export XDG_CONFIG_HOME=$work/config QT_QPA_PLATFORM=xcb
# A store with an owner key: no first start, whose question would take Enter.
store=$XDG_CONFIG_HOME/$3
mkdir -p -m 700 "$(dirname "$store")"
printf '[setting102]\nunique%%20key=k\n' >"$store"
chmod 600 "$store"
xvfb-run -a -s "-screen 0 800x600x24" bash -ec '
  "$1" 20 >"$2/offered" &
  probe=$!
  for _ in $(seq 50); do grep -q ready "$2/offered" 2>/dev/null && break; sleep 0.1; done
  "$3" &
  app=$!
  win=$("$4" "^(トヴリク|Tovrik) \\(" 10 $app)
  sleep 0.3
  xdotool windowfocus --sync "$win"
  xdotool key Return
  sleep 0.5
  xdotool key Escape
  wait $app
  wait $probe
' handover "$probe" "$work" "$tovrik" \
  "$(dirname "$0")/../../scripts/wait-for-window.sh"

offered=$work/offered
cat "$offered"
grep -q '^hint: secret$' "$offered" || { echo "FAIL: the report was not marked secret"; exit 1; }
grep -q '^\[ トヴリク ver1.02 \]' "$offered" || { echo "FAIL: no report was offered"; exit 1; }
grep -q '^生成パスワード( 1): ' "$offered" || { echo "FAIL: the report has no password"; exit 1; }
echo "the report was offered to the clipboard manager"
