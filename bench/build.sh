#!/usr/bin/env bash
# Build benchmark: the median time of a whole build through the utility against
# a batch file running the same three tool commands and against the true limit,
# a program making exactly the utility's calls for a build (bench/build_limit.cpp),
# with the debug window open and closed, under Wine, with the conversion-package
# stand-ins and no fault switches (bench/build_main.cpp).
#
#   bench/build.sh [--current-display | --display :N] [runs]     (default 7 runs)
#
# Builds package/sample/Sample.rc with the programs of the build tree out/windows
# (MIVO_BUILD_DIR for another), in a Wine session (scripts/wine-session.sh: its
# own Xvfb unless told otherwise, WINEPREFIX or out/wineprefix). The tools'
# console output is dropped; the figures are printed.
set -euo pipefail

top=$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)
build="${MIVO_BUILD_DIR:-$top/out/windows}"

session=()
while [ $# -gt 0 ]; do
  case "$1" in
    --current-display) session+=("$1"); shift ;;
    --display) session+=("$1" "$2"); shift 2 ;;
    -h|--help) sed -n '2,13p' "$0"; exit 0 ;;
    *) break ;;
  esac
done
runs="${1:-7}"

program="$build/bench/bench_build.exe"
if [ ! -f "$program" ]; then
  echo "build.sh: $program is not built; run: cmake --build $build --target bench_build" >&2
  exit 2
fi

echo "bench/build.sh: $runs runs, $(wine --version 2>/dev/null || echo wine)" >&2
"$top/scripts/wine-session.sh" "${session[@]}" -- wine "$program" "$top/package/sample/Sample.rc" "$runs" |
  grep -v -E '^(BRC32 resource compiler|Compiling |Wrote |Binding |Bound )'
