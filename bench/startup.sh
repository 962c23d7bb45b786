#!/usr/bin/env bash
# Start-up benchmark, under Wine in a private Xvfb session:
#  - the median time from CreateProcess until MivoCompile.exe's panel exists and
#    its message loop answers, against the reference (the utility's class,
#    window, menu, icon and panel and nothing else; then with the panel's beep,
#    then with the INI reads and tool probes as well) and against a program that
#    only creates a window, measured in turn in the same run, and the ratios
#    (bench_startup);
#  - the cost of 10,000 LogDebug lines with the debug window open, in bursts of
#    17 with the one paint after each burst timed apart (bench_log_cost).
#
#   bench/startup.sh [runs]      (default 11 starts of each program)
set -euo pipefail

top=$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)
runs=${1:-11}
cd "$top"
bash scripts/setup.sh >/dev/null
mkdir -p out
if ! { cmake --preset windows && cmake --build --preset windows; } >out/bench-build.log 2>&1; then
  tail -n 30 out/bench-build.log >&2
  echo "startup.sh: the build failed (out/bench-build.log)" >&2
  exit 1
fi

scripts/wine-session.sh bash -c '
  set -e
  wine out/windows/bench/bench_startup.exe "$1"
  if [ -f out/windows/bench/bench_log_cost.exe ]; then
    echo
    wine out/windows/bench/bench_log_cost.exe
  fi
' bench "$runs"
