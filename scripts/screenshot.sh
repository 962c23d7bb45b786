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
source "$(dirname "${BASH_SOURCE[0]}")/lib.sh"

bin="${MIVO_BIN_DIR:-$mivo_top/out/windows/bin}"
[ $# -ge 1 ] || { echo "usage: $0 OUTPUT.png [STEP...]" >&2; exit 2; }
output=$1
shift
[ $# -gt 0 ] || set -- debug on
: "${DISPLAY:?run inside scripts/wine-session.sh}"

work=$(mktemp -d "${TMPDIR:-/tmp}/mivo-shot.XXXXXX")
trap 'mivo_drive_stop; rm -rf "$work"' EXIT

# Steps that take the picture themselves (capture-box) name its files @RECT
# and @DONE; other step lists are followed by a capture of the utility and Exit.
steps=()
own_capture=0
for step in "$@"; do
  case "$step" in
    @RECT) steps+=("$work/shot.rect"); own_capture=1 ;;
    @DONE) steps+=("$work/shot.done") ;;
    *) steps+=("$step") ;;
  esac
done
[ $own_capture -eq 1 ] || steps+=(capture "$work/shot.rect" "$work/shot.done" exit)

rundir="$mivo_top/out/run"
mkdir -p "$rundir"
# mivo_drive writes the rectangle once every window has painted.
mivo_drive_start "$work" "$bin" --dir "$rundir" "${steps[@]}"
mivo_drive_picture shot 60 "$output" 3 || { echo "screenshot: no picture" >&2; exit 1; }
geometry=$(tr -d '\r\n' <"$work/shot.rect")

status=0
mivo_drive_finish || status=$?
[ $status -eq 0 ] || { echo "screenshot: the driver failed ($status)" >&2; exit $status; }
echo "screenshot: $output ($geometry)"
