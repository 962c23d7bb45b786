#!/usr/bin/env bash
# Runs a test program against the release archive unpacked at C:\ of a fresh,
# empty Wine prefix of its own, under the caller's X server. The prefix is made
# and ended by scripts/wine-session.sh and removed afterwards (kept with
# MIVO_E2E_KEEP=1).
#
#   fresh_prefix.sh ARCHIVE PREFIX PROGRAM [ARGS...]
set -euo pipefail

if [ "${1:-}" = "--in-session" ]; then
  archive=$2 program=$3
  shift 3
  (cd "$WINEPREFIX/drive_c" && cmake -E tar xf "$archive")
  echo "fresh_prefix: $(basename "$archive") unpacked into $WINEPREFIX/drive_c" >&2
  exec wine "$program" "$@"
fi

top=$(cd "$(dirname "${BASH_SOURCE[0]}")/../.." && pwd)
archive=$1 prefix=$2 program=$3
shift 3
: "${DISPLAY:?run inside scripts/wine-session.sh}"
[ -f "$archive" ] || { echo "fresh_prefix: no archive $archive; build the package target" >&2; exit 1; }

finish() {
  local status=$?
  [ "${MIVO_E2E_KEEP:-}" = 1 ] || rm -rf "$prefix"
  exit "$status"
}
trap finish EXIT
rm -rf "$prefix"
WINEPREFIX=$prefix "$top/scripts/wine-session.sh" --current-display "$0" --in-session "$archive" "$program" "$@"
