#!/usr/bin/env bash
# Takes docs/window.png and docs/window-en.png: the window in Japanese and in
# English under Xvfb with a fresh store, after one generation at spread
# level 2 (four passwords shown).
set -euo pipefail
cd "$(dirname "$0")/.."
scripts/install-deps.sh
scripts/build.sh build >/dev/null

mkdir -p docs
config=$(mktemp -d)
trap 'rm -rf "$config"' EXIT
store=$(XDG_CONFIG_HOME=$config build/cli/tovrik-settings path)
mkdir -p "$(dirname "$store")"
cat >"$store" <<'CONF'
[setting102]
spread=2
seed1=example.com
CONF

for shot in ja:docs/window.png en:docs/window-en.png; do
  LANGUAGE=${shot%%:*} PICTURE=${shot#*:} XDG_CONFIG_HOME=$config \
    xvfb-run -a -s "-screen 0 800x600x24" bash -ec '
    build/ui/tovrik &
    app=$!
    win=$(scripts/wait-for-window.sh "^(トヴリク|Tovrik) \\(" 10 $app)
    sleep 0.5
    xdotool key --window "$win" Return
    sleep 0.5
    import -window "$win" "$PICTURE"
    kill $app
  '
  echo "wrote ${shot#*:}"
done
