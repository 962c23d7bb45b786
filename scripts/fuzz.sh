#!/bin/sh
# Builds the libFuzzer targets in their own clang tree (out/fuzz) and runs each
# for a bounded time. Exits non-zero if a target does not build or finds a fault.
#   scripts/fuzz.sh [seconds per target, default 30]
# Needs clang and clang's runtime libraries (Debian: clang, libclang-rt-<n>-dev).
set -eu

seconds=${1:-30}
root=$(cd "$(dirname "$0")/.." && pwd)
tree="$root/out/fuzz"

CC=${CC:-clang} CXX=${CXX:-clang++} cmake -S "$root" -B "$tree" -G Ninja \
  -DCMAKE_BUILD_TYPE=RelWithDebInfo -DMIVO_FUZZ=ON >/dev/null
cmake --build "$tree" --target fuzz_targets

status=0
# The layout corpus starts from the damaged templates the win32 tests use,
# each as a resource of its own read leniently (0xC1 a dialog, 0xC0 a menu).
seeds="$tree/corpus/res_layout_fuzz"
mkdir -p "$seeds"
python3 "$root/tests/win32/data/make_kestrix_damaged.py" "$tree/kestrix_damaged"
for f in "$tree"/kestrix_damaged/*.bin; do
  case "$(basename "$f")" in dialog*) kind='\301' ;; *) kind='\300' ;; esac
  { printf "$kind"; head -c 4096 "$f"; } >"$seeds/seed-$(basename "$f")"
done

for target in config_script_fuzz rc_script_fuzz res_layout_fuzz pe_image_fuzz; do
  corpus="$tree/corpus/$target"
  mkdir -p "$corpus"
  dict="$root/tests/fuzz/${target%_fuzz}.dict"
  [ -f "$dict" ] && dict_option="-dict=$dict" || dict_option=""
  echo "== $target for ${seconds}s"
  # libFuzzer reports every new input; its whole report goes to a file, its summary here.
  log="$tree/$target.log"
  if "$tree/tests/fuzz/$target" "$corpus" $dict_option -max_total_time="$seconds" \
      -max_len=4096 -timeout=10 -print_final_stats=1 -artifact_prefix="$tree/$target-" >"$log" 2>&1; then
    grep -E '^(Done|stat::number_of_executed_units|stat::peak_rss_mb)' "$log" || tail -n 3 "$log"
    # The coverage reached: the last running report's counters and features.
    grep -E '^#[0-9]+' "$log" | tail -n 1 | grep -oE '(cov|ft|corp): [^ ]+' | tr '\n' ' ' && echo
  else
    tail -n 60 "$log" >&2
    echo "== $target found a fault; the input is in $tree/$target-*, the report in $log" >&2
    status=1
  fi
done
exit $status
