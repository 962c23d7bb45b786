#!/usr/bin/env bash
# The headless demonstration: builds the sample script through the utility as a
# person would (debug window on, File > Open, parameters typed, "Mivo Compile"),
# prints the utility's trace, takes a picture of the utility after the build,
# then presses "Run exe..." and takes a picture of the built program: the
# sample's own menu bar, title and resource list, with its item dialog opened
# at start-up by the "/dialog 100" parameter. Ends both programs.
#
#   scripts/demo.sh UTILITY.png PROGRAM.png
#
# Runs inside a Wine session (scripts/wine-session.sh provides DISPLAY and
# WINEPREFIX) after scripts/run.sh has installed the conversion package and
# the sample under C:\VORN\MivoConvert.
set -euo pipefail
source "$(dirname "${BASH_SOURCE[0]}")/lib.sh"

bin="${MIVO_BIN_DIR:-$mivo_top/out/windows/bin}"
[ $# -eq 2 ] || { echo "usage: $0 UTILITY.png PROGRAM.png" >&2; exit 2; }
: "${DISPLAY:?run inside scripts/wine-session.sh}"

utility='C:\VORN\MivoConvert\MivoCompile.exe'
sample='C:\VORN\MivoConvert\Samples\Sample.rc'
parameters='/dialog 100 first second'

work=$(mktemp -d "${TMPDIR:-/tmp}/mivo-demo.XXXXXX")
trap 'mivo_drive_stop; rm -rf "$work"' EXIT

mkdir -p "$mivo_top/out/run"
mivo_drive_start "$work" "$bin" --program "$utility" --dir "$mivo_top/out/run" \
  debug on open "$sample" text 1010 "$parameters" click 1000 wait-enabled 1002 print-debug \
  capture "$work/utility.rect" "$work/utility.done" \
  click 1002 capture-program KestrixWindow "$work/program.rect" "$work/program.done" \
  exit

# The first picture waits for the build. The built program's dialog is centred
# on the screen, beyond the program's own rectangle: its picture is everything
# on the (black) screen, and it opens after the program's window has painted,
# so that screen must stay alike for longer before it counts as drawn.
mivo_drive_picture utility 120 "$1" 3 || { echo "demo: no picture of the utility" >&2; exit 1; }
mivo_drive_picture program 60 "$2" 6 trim || { echo "demo: no picture of the built program" >&2; exit 1; }

status=0
mivo_drive_finish || status=$?
[ $status -eq 0 ] || { echo "demo: the driver failed ($status)" >&2; exit $status; }
echo "demo: the utility after the build: $1"
echo "demo: the built program: $2"
