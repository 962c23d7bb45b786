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

source "$(dirname "${BASH_SOURCE[0]}")/lib.sh"

display_wanted="${MIVO_XVFB_DISPLAY:-}"
use_current=0
while [ $# -gt 0 ]; do
  case "$1" in
    --display) display_wanted="$2"; shift 2 ;;
    --display=*) display_wanted="${1#--display=}"; shift ;;
    --current-display) use_current=1; shift ;;
    --) shift; break ;;
    -h|--help) mivo_usage "$0"; exit 0 ;;
    *) break ;;
  esac
done
[ $# -gt 0 ] || { echo "wine-session: no command given" >&2; exit 2; }

mivo_wine_env
session_dir=$(mktemp -d "${TMPDIR:-/tmp}/wine-session.XXXXXX")

cleanup() {
  local status=$?
  set +e
  # The prefix's processes go first, while their X server still answers.
  if [ -d "$WINEPREFIX" ]; then
    wineserver -k >/dev/null 2>&1
    wineserver -w >/dev/null 2>&1
  fi
  mivo_stop_xvfb
  rm -rf "$session_dir"
  exit "$status"
}
trap cleanup EXIT
trap 'exit 130' INT
trap 'exit 143' TERM

if [ "$use_current" = 1 ]; then
  [ -n "${DISPLAY:-}" ] || { echo "wine-session: --current-display but DISPLAY is not set" >&2; exit 2; }
else
  mivo_start_xvfb "$session_dir" "$display_wanted" || exit 1
fi
mivo_prepare_prefix
# A wineserver lingers a few seconds after its last client and then exits; a
# client started in that moment fails with "recvmsg: Connection reset by peer".
# Tests start hundreds of short Wine processes one after another, so the session
# keeps one server up until the cleanup above kills it. Its first client starts
# the prefix's services, which live as long as the server and keep the standard
# handles they were born with: they are born here, with none a test waits on.
# A server the set-up above left lingering cannot be made persistent: it is
# waited out first.
wineserver -w
wineserver -p
wine cmd /c exit </dev/null >/dev/null 2>&1 || true

echo "wine-session: DISPLAY=$DISPLAY WINEPREFIX=$WINEPREFIX" >&2
set +e
"$@"
status=$?
set -e
exit $status
