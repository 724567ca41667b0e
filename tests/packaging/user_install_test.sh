#!/usr/bin/env bash
# A user's install into ~/.local, as scripts/run.sh makes it: each program
# on the PATH, and its manual page, which man finds through the PATH alone.
# The page of the first program is made by help2man from its --help, so it
# names the option given.
# Usage: user_install_test.sh BUILD_DIR OPTION PROGRAM...
set -euo pipefail
build=$1 option=$2
shift 2
home=$(mktemp -d)
trap 'rm -rf "$home"' EXIT
cmake --install "$build" --prefix "$home/.local" >/dev/null
export HOME=$home PATH="$home/.local/bin:$PATH"
unset MANPATH

failures=0
fail() { echo "FAIL: $*"; failures=$((failures + 1)); }
for program in "$@"; do
  [ "$(command -v "$program")" = "$home/.local/bin/$program" ] || fail "$program is not installed"
  page=$(man -w "$program" 2>/dev/null) || page=
  case $page in
  "$home/.local/share/man/man1/$program.1"*) ;;
  *) fail "man finds no page of $program in ~/.local (found: '$page')" ;;
  esac
done
MANWIDTH=200 man "$1" 2>/dev/null | grep -q -- "$option" || fail "the page of $1 does not name $option"
echo "$(($# - failures)) passed, $failures failed"
[ "$failures" -eq 0 ]
