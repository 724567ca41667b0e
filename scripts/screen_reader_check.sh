#!/usr/bin/env bash
# Shows what a screen reader learns of the window: starts it under Xvfb with
# an accessibility bus and a fresh store at spread level 4 (all sixteen result
# boxes), lists every control through AT-SPI, then opens the about box with
# Shift+F10 and lists it too. Fails if a control has nothing to speak.
# A manual check; CI does not run it.
set -euo pipefail
cd "$(dirname "$0")/.."
scripts/install-deps.sh build screenreader
scripts/build.sh build >/dev/null

config=$(mktemp -d)
trap 'rm -rf "$config"' EXIT
store=$(XDG_CONFIG_HOME=$config build/cli/tovrik-settings path)
mkdir -p "$(dirname "$store")"
printf '[setting102]\nspread=4\n' >"$store"

XDG_CONFIG_HOME=$config QT_LINUX_ACCESSIBILITY_ALWAYS_ON=1 \
  xvfb-run -a -s "-screen 0 800x600x24" dbus-run-session -- bash -ec '
  /usr/libexec/at-spi-bus-launcher --launch-immediately &
  bus=$!
  build/ui/tovrik &
  app=$!
  trap "kill $app $bus 2>/dev/null; wait $app 2>/dev/null || true" EXIT
  win=$(scripts/wait-for-window.sh "^(トヴリク|Tovrik) \\(" 10 $app)
  /usr/bin/python3 scripts/screen_reader_names.py tovrik
  xdotool windowfocus --sync "$win" key shift+F10
  sleep 0.5
  xdotool key Return
  sleep 1
  /usr/bin/python3 scripts/screen_reader_names.py tovrik
' 2>&1 | grep -v -e "^dbus-daemon" -e "^SpiRegistry" -e "XDG_RUNTIME_DIR"
