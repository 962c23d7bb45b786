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

top=$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)
bin="${MIVO_BIN_DIR:-$top/out/windows/bin}"
[ $# -eq 2 ] || { echo "usage: $0 UTILITY.png PROGRAM.png" >&2; exit 2; }
: "${DISPLAY:?run inside scripts/wine-session.sh}"
pictures=("$1" "$2")

utility='C:\VORN\MivoConvert\MivoCompile.exe'
sample='C:\VORN\MivoConvert\Samples\Sample.rc'
parameters='/dialog 100 first second'

work=$(mktemp -d "${TMPDIR:-/tmp}/mivo-demo.XXXXXX")
driver_pid=""
finish() {
  [ -n "$driver_pid" ] && kill "$driver_pid" 2>/dev/null
  rm -rf "$work"
}
trap finish EXIT

mkdir -p "$top/out/run"
wine "$bin/e2e/mivo_drive.exe" --program "$utility" --dir "$top/out/run" \
  debug on open "$sample" text 1010 "$parameters" click 1000 wait-enabled 1002 print-debug \
  capture "$work/rect1" "$work/done1" \
  click 1002 capture-program KestrixWindow "$work/rect2" "$work/done2" \
  exit >"$work/driver.log" 2>&1 &
driver_pid=$!

# The driver writes each rectangle once its windows have painted, then waits for the picture.
for shot in 1 2; do
  for _ in $(seq 1 1200); do   # 120 s at most: the first one waits for the build
    [ -s "$work/rect$shot" ] && break
    if ! kill -0 "$driver_pid" 2>/dev/null; then
      cat "$work/driver.log" >&2
      echo "demo: the driver ended before picture $shot" >&2
      exit 1
    fi
    sleep 0.1
  done
  [ -s "$work/rect$shot" ] || { cat "$work/driver.log" >&2; echo "demo: no picture $shot within 120 s" >&2; exit 1; }
  # Wine hands finished paint to the X server on its own schedule; the built
  # program's dialog opens after its main window has painted, so it gets longer.
  if [ $shot -eq 1 ]; then sleep 0.5; else sleep 2; fi
  output=${pictures[$((shot - 1))]}
  mkdir -p "$(dirname "$output")"
  xwd -root -silent -display "$DISPLAY" >"$work/screen.xwd"
  if [ $shot -eq 1 ]; then
    /usr/bin/convert "xwd:$work/screen.xwd" -crop "$(tr -d '\r\n' <"$work/rect$shot")" +repage "$output"
  else
    # The built program's dialog is centred on the screen, beyond the program's
    # own rectangle: the picture is everything on the (black) screen.
    /usr/bin/convert "xwd:$work/screen.xwd" -trim +repage "$output"
  fi
  touch "$work/done$shot"
done

status=0
wait "$driver_pid" || status=$?
driver_pid=""
tr -d '\r' <"$work/driver.log"
[ $status -eq 0 ] || { echo "demo: the driver failed ($status)" >&2; exit $status; }
echo "demo: the utility after the build: ${pictures[0]}"
echo "demo: the built program: ${pictures[1]}"
