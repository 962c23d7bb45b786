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

rundir="$mivo_top/out/run"
mkdir -p "$rundir"
# mivo_drive writes the rectangle once every window has painted.
mivo_drive_start "$work" "$bin" --dir "$rundir" "$@" capture "$work/shot.rect" "$work/shot.done" exit
mivo_drive_picture shot 60 "$output" 3 || { echo "screenshot: no picture" >&2; exit 1; }
geometry=$(tr -d '\r\n' <"$work/shot.rect")

status=0
mivo_drive_finish || status=$?
[ $status -eq 0 ] || { echo "screenshot: the driver failed ($status)" >&2; exit $status; }
echo "screenshot: $output ($geometry)"
