#!/usr/bin/env bash
# KestRix start benchmark, under Wine in a private Xvfb session: the median
# time from process start until a built program's /dialog <id> preview takes
# input, against the true limit (a program that only makes ready the classes
# that dialog uses and creates it from the same template), in turn in one run,
# and their ratio (bench/kestrix_start_main.cpp).
#
#   bench/kestrix_start.sh [runs] [dialog id]     (default 11 runs, dialog 100 of package/sample/Sample.rc)
#
# Builds the benchmark's programs in out/windows first.
set -euo pipefail

top=$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)
runs=${1:-11}
dialog=${2:-100}
cd "$top"
mkdir -p out
if ! { cmake --preset windows && cmake --build --preset windows --target bench_kestrix_start; } >out/bench-build.log 2>&1; then
  tail -n 30 out/bench-build.log >&2
  echo "kestrix_start.sh: the build failed (out/bench-build.log)" >&2
  exit 1
fi

echo "bench/kestrix_start.sh: $runs runs, $(wine --version 2>/dev/null || echo wine)" >&2
scripts/wine-session.sh bash -c '
  wine out/windows/bench/bench_kestrix_start.exe "$(winepath -w "$1")" "$2" "$3"
' bench "$top/package/sample/Sample.rc" "$runs" "$dialog"
