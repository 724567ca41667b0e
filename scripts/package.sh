#!/usr/bin/env bash
# Builds the Debian package: installs what is missing, builds in Release in
# build-package/ (or BUILD_DIR), runs cpack, writes SHA256SUMS beside the
# package and checks it with lintian (not with --no-lintian). The last line
# printed is the package's path. Two builds of one commit give the same
# bytes (scripts/reproducible.sh checks it).
# Usage: package.sh [--no-lintian] [BUILD_DIR]
#
# lintian must report no error and no warning. What it still reports, at
# the "info" level, is left on purpose:
# - extra-license-file: LICENSE goes into the documentation folder beside
#   the Debian copyright file, so that the folder holds the license as the
#   project ships it.
# - binary-has-unneeded-section (.comment): cpack strips with a plain
#   `strip`, which keeps the compiler's version note; it costs a few bytes.
# - hardening-no-fortify-functions, for tovrik-settings only: its few calls
#   that _FORTIFY_SOURCE could check (read into one byte, readlinkat) have
#   bounds the compiler proves, so none needs a checking variant, and
#   lintian sees no __*_chk call. scripts/check-hardening.sh checks the
#   fortified calls of the other programs, and BIND_NOW of all three, which
#   lintian finds (no hardening-no-bindnow).
set -euo pipefail
cd "$(dirname "$0")/.."

lintian=true
if [ "${1:-}" = --no-lintian ]; then
  lintian=false
  shift
fi
dir=${1:-build-package}

scripts/install-deps.sh build package
# The modes of the package's folders and of its members follow the umask.
umask 022
scripts/build.sh "$dir" -DCMAKE_BUILD_TYPE=Release -DCMAKE_INSTALL_PREFIX=/usr \
  -DTOVRIK_TESTS=OFF -DTOVRIK_BENCH=OFF >&2
rm -f "$dir"/tovrik_*.deb
# The time that the package gives its files; the build itself takes none.
epoch=$(scripts/source-date-epoch.sh)
(cd "$dir" && SOURCE_DATE_EPOCH=$epoch cpack -G DEB) >&2
deb=$(ls "$dir"/tovrik_*.deb)
(cd "$dir" && sha256sum "$(basename "$deb")" >SHA256SUMS)

# lintian remarks when it runs as root, as CI does.
if $lintian; then
  lintian --fail-on error,warning "$deb" 2>&1 | { grep -v 'running with root privileges' || true; } >&2
fi

realpath "$deb"
