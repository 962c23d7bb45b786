#!/usr/bin/env bash
# Runs a test program against the release archive unpacked at C:\ of a fresh,
# empty Wine prefix of its own, under the session's X server; the prefix is
# killed and removed afterwards (kept with MIVO_E2E_KEEP=1).
#
#   fresh_prefix.sh ARCHIVE PREFIX PROGRAM [ARGS...]
set -euo pipefail

archive=$1 prefix=$2 program=$3
shift 3
: "${DISPLAY:?run inside scripts/wine-session.sh}"
[ -f "$archive" ] || { echo "fresh_prefix: no archive $archive; build the package target" >&2; exit 1; }

export WINEPREFIX=$prefix
export WINEDEBUG="${WINEDEBUG:--all}"
export WINEDLLOVERRIDES="${WINEDLLOVERRIDES:-mscoree,mshtml=}"
if ! command -v wine64 >/dev/null 2>&1 && [ -x /usr/lib/wine/wine64 ]; then
  export PATH="$PATH:/usr/lib/wine"
fi

finish() {
  local status=$?
  set +e
  if [ -d "$prefix" ]; then
    wineserver -k >/dev/null 2>&1
    wineserver -w >/dev/null 2>&1
    [ "${MIVO_E2E_KEEP:-}" = 1 ] || rm -rf "$prefix"
  fi
  exit "$status"
}
trap finish EXIT

rm -rf "$prefix"
mkdir -p "$prefix"
wineboot -i >/dev/null 2>&1
wineserver -w
# The dialogs' fonts, which Debian's Wine does not find by itself (as in wine-session.sh).
mkdir -p "$prefix/drive_c/windows/Fonts"
for font in ms_sans_serif.ttf sserife.fon tahoma.ttf tahomabd.ttf marlett.ttf; do
  [ -f "/usr/share/wine/fonts/$font" ] && cp "/usr/share/wine/fonts/$font" "$prefix/drive_c/windows/Fonts/"
done

(cd "$prefix/drive_c" && cmake -E tar xf "$archive")
echo "fresh_prefix: $(basename "$archive") unpacked into $prefix/drive_c" >&2
wine "$program" "$@"
