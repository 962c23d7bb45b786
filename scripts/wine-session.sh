#!/usr/bin/env bash
# Runs one command inside a Wine session and tears the session down afterwards.
#
#   scripts/wine-session.sh [--display :N | --current-display] [--] command [args...]
#
# The session is: an X server (a private Xvfb on a free display, on :N when
# --display or MIVO_XVFB_DISPLAY names one, or the caller's own $DISPLAY with
# --current-display), and the project's Wine prefix (out/wineprefix unless
# WINEPREFIX is set), created with `wineboot -i` on first use. The command sees
# DISPLAY, WINEPREFIX, WINEDEBUG and WINEDLLOVERRIDES exported. On exit, however
# the command ends, the prefix's wineserver is killed and the Xvfb this script
# started is killed by its PID. The command's exit status is the script's.
set -euo pipefail

top=$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)

display_wanted="${MIVO_XVFB_DISPLAY:-}"
use_current=0
while [ $# -gt 0 ]; do
  case "$1" in
    --display) display_wanted="$2"; shift 2 ;;
    --display=*) display_wanted="${1#--display=}"; shift ;;
    --current-display) use_current=1; shift ;;
    --) shift; break ;;
    -h|--help) sed -n '2,12p' "$0"; exit 0 ;;
    *) break ;;
  esac
done
[ $# -gt 0 ] || { echo "wine-session: no command given" >&2; exit 2; }

export WINEPREFIX="${WINEPREFIX:-$top/out/wineprefix}"
export WINEDEBUG="${WINEDEBUG:--all}"
export WINEDLLOVERRIDES="${WINEDLLOVERRIDES:-mscoree,mshtml=}"
# Wine looks for its 64-bit loader here on Debian when wine64 is not on PATH.
if ! command -v wine64 >/dev/null 2>&1 && [ -x /usr/lib/wine/wine64 ]; then
  export PATH="$PATH:/usr/lib/wine"
fi

xvfb_pid=""
session_dir=$(mktemp -d "${TMPDIR:-/tmp}/wine-session.XXXXXX")

cleanup() {
  local status=$?
  set +e
  # The prefix's processes go first, while their X server still answers.
  if [ -d "$WINEPREFIX" ]; then
    wineserver -k >/dev/null 2>&1
    wineserver -w >/dev/null 2>&1
  fi
  if [ -n "$xvfb_pid" ]; then
    kill "$xvfb_pid" 2>/dev/null
    wait "$xvfb_pid" 2>/dev/null
  fi
  rm -rf "$session_dir"
  exit "$status"
}
trap cleanup EXIT
trap 'exit 130' INT
trap 'exit 143' TERM

start_xvfb() {
  # -displayfd makes the server write its display number once it accepts clients,
  # so readiness is known without polling the socket.
  local fd_file="$session_dir/displayfd" args=(-screen 0 1280x1024x24 -nolisten tcp -displayfd 3)
  : >"$fd_file"
  if [ -n "$display_wanted" ]; then
    args=("$display_wanted" "${args[@]}")
  fi
  Xvfb "${args[@]}" 3>"$fd_file" >"$session_dir/xvfb.log" 2>&1 &
  xvfb_pid=$!
  local tries=0 number=""
  while [ $tries -lt 200 ]; do   # 20 s at most
    number=$(head -n 1 "$fd_file" 2>/dev/null || true)
    [ -n "$number" ] && break
    if ! kill -0 "$xvfb_pid" 2>/dev/null; then
      echo "wine-session: Xvfb did not start:" >&2
      cat "$session_dir/xvfb.log" >&2
      xvfb_pid=""
      exit 1
    fi
    sleep 0.1
    tries=$((tries + 1))
  done
  if [ -z "$number" ]; then
    echo "wine-session: Xvfb did not become ready" >&2
    exit 1
  fi
  export DISPLAY=":$number"
}

if [ "$use_current" = 1 ]; then
  [ -n "${DISPLAY:-}" ] || { echo "wine-session: --current-display but DISPLAY is not set" >&2; exit 2; }
else
  start_xvfb
fi

if [ ! -f "$WINEPREFIX/system.reg" ]; then
  mkdir -p "$WINEPREFIX"
  started=$(date +%s.%N)
  wineboot -i >/dev/null 2>&1
  wineserver -w
  echo "wine-session: created Wine prefix $WINEPREFIX in $(awk "BEGIN { printf \"%.1f\", $(date +%s.%N) - $started }") s" >&2
fi
# Dialogs name "MS Sans Serif" and Wine's captions draw with Marlett. Debian's
# Wine does not find its own fonts (package fonts-wine) by itself; in the
# prefix's Fonts folder it does, and dialogs get the metrics they have on Windows
# instead of a wider stand-in's.
fonts="$WINEPREFIX/drive_c/windows/Fonts"
for font in ms_sans_serif.ttf sserife.fon tahoma.ttf tahomabd.ttf marlett.ttf; do
  if [ -f "/usr/share/wine/fonts/$font" ] && [ ! -f "$fonts/$font" ]; then
    mkdir -p "$fonts"
    cp "/usr/share/wine/fonts/$font" "$fonts/"
  fi
done
# Under Xvfb no window manager draws captions and frames: Wine draws them itself,
# as Windows would, so screenshots show the title bar.
if [ ! -f "$WINEPREFIX/.mivo-decorated" ]; then
  wine reg add 'HKCU\Software\Wine\X11 Driver' /v Decorated /d N /f >/dev/null 2>&1 &&
    touch "$WINEPREFIX/.mivo-decorated"
fi

echo "wine-session: DISPLAY=$DISPLAY WINEPREFIX=$WINEPREFIX" >&2
set +e
"$@"
status=$?
set -e
exit $status
