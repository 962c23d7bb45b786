#!/usr/bin/env bash
# Takes a picture of the running utility: starts it through mivo_drive, runs the
# given steps, then captures the main window together with the debug window
# (when it is open) into a PNG, and ends the program with File > Exit.
#
#   scripts/screenshot.sh OUTPUT.png [STEP...]
#
# Runs inside a Wine session (scripts/wine-session.sh provides DISPLAY and
# WINEPREFIX). The steps are mivo_drive's (tests/e2e/tools/drive_main.cpp);
# with none, the debug window is opened (step "debug on") for the picture.
# A step list may take the picture itself, naming its files @RECT and @DONE:
#   scripts/screenshot.sh out.png open 'Z:\p\menu.rc' click 1000 capture-box SarvexFindings @RECT @DONE
set -euo pipefail

top=$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)
bin="${MIVO_BIN_DIR:-$top/out/windows/bin}"
[ $# -ge 1 ] || { echo "usage: $0 OUTPUT.png [STEP...]" >&2; exit 2; }
output=$1
shift
[ $# -gt 0 ] || set -- debug on
: "${DISPLAY:?run inside scripts/wine-session.sh}"

work=$(mktemp -d "${TMPDIR:-/tmp}/mivo-shot.XXXXXX")
driver_pid=""
finish() {
  [ -n "$driver_pid" ] && kill "$driver_pid" 2>/dev/null
  rm -rf "$work"
}
trap finish EXIT

# Steps that take the picture themselves (capture-box) name its files @RECT
# and @DONE; other step lists are followed by a capture of the utility and Exit.
steps=()
own_capture=0
for step in "$@"; do
  case "$step" in
    @RECT) steps+=("$work/rect"); own_capture=1 ;;
    @DONE) steps+=("$work/done") ;;
    *) steps+=("$step") ;;
  esac
done
[ $own_capture -eq 1 ] || steps+=(capture "$work/rect" "$work/done" exit)

rundir="$top/out/run"
mkdir -p "$rundir"
wine "$bin/e2e/mivo_drive.exe" --dir "$rundir" "${steps[@]}" >"$work/driver.log" 2>&1 &
driver_pid=$!

# mivo_drive writes the rectangle once every window has painted.
for _ in $(seq 1 600); do   # 60 s at most
  [ -s "$work/rect" ] && break
  if ! kill -0 "$driver_pid" 2>/dev/null; then
    cat "$work/driver.log" >&2
    echo "screenshot: the driver ended before the capture" >&2
    exit 1
  fi
  sleep 0.1
done
[ -s "$work/rect" ] || { cat "$work/driver.log" >&2; echo "screenshot: no capture within 60 s" >&2; exit 1; }
geometry=$(tr -d '\r\n' <"$work/rect")

# Wine hands finished paint to the X server on its own schedule; give it a moment.
sleep 0.5
mkdir -p "$(dirname "$output")"
xwd -root -silent -display "$DISPLAY" >"$work/screen.xwd"
/usr/bin/convert "xwd:$work/screen.xwd" -crop "$geometry" +repage "$output"
touch "$work/done"

status=0
wait "$driver_pid" || status=$?
driver_pid=""
cat "$work/driver.log"
[ $status -eq 0 ] || { echo "screenshot: the driver failed ($status)" >&2; exit $status; }
echo "screenshot: $output ($geometry)"
