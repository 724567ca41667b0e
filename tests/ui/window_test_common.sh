# Sourced by the scripts that drive the real window: a work folder, which
# goes at the end with the window if it still runs ($app), a configuration
# folder of the test's own, and the count of failures.
work=$(mktemp -d)
app=
cleanup() {
  [ -n "$app" ] && kill "$app" 2>/dev/null && wait "$app" 2>/dev/null
  rm -rf "$work"
}
trap cleanup EXIT
export XDG_CONFIG_HOME=$work/config
# The windows' titles that the scripts look for are the Japanese ones,
# whatever the caller's language.
export LANGUAGE=ja

# A new configuration folder whose store (at $1) holds an owner key: the
# window starts as after its first start, without asking for the key.
store_with_key() {
  rm -rf "$XDG_CONFIG_HOME"
  mkdir -p -m 700 "$(dirname "$1")"
  printf '[setting102]\nunique%%20key=k\n' >"$1"
  chmod 600 "$1"
}

failures=0
fail() {
  echo "FAIL: $*"
  failures=$((failures + 1))
}
pass() { echo "ok: $*"; }
# What the window printed besides its Wayland log: Qt's warnings.
warnings_in() { grep -v -E '^\[ *[0-9]+\.[0-9]+\] ' "$1"; }
