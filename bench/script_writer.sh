#!/usr/bin/env bash
# Script-writing benchmark: brc32 -s against windres -O rc on the same
# library, the largest of the Wine libraries the round-trip test names
# (comctl32, comdlg32, shell32, user32), as a ratio of medians.
#
#   bench/script_writer.sh [runs]      (default 5 runs)
#
# Both forms are timed: -s (binary data in side files) and -sh (inline).
# brc32.exe runs under Wine (scripts/wine-run inside one scripts/wine-session.sh
# session), windres natively: the figures say so. Wine's start of a process is
# measured on a one-resource .res and printed, with the ratio both with and
# without it. brc32 also compiles what it wrote, as part of writing it; windres
# writes its script unchecked.
set -euo pipefail

top=$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)
build="${MIVO_BUILD_DIR:-$top/out/windows}"
runs="${1:-5}"
wine_lib=/usr/lib/x86_64-linux-gnu/wine/x86_64-windows

if [ -z "${MIVO_BENCH_IN_SESSION:-}" ]; then
  MIVO_BENCH_IN_SESSION=1 exec "$top/scripts/wine-session.sh" "$0" "$@"
fi

work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
library=$(ls -S "$wine_lib"/{comctl32,comdlg32,shell32,user32}.dll | head -1)
cp "$library" "$work/lib.dll"
printf '1 RCDATA { 1 }\n' > "$work/one.rc"

# shellcheck source=bench/timing.sh
. "$top/bench/timing.sh"
brc32="$build/bin/package/brc32.exe"
wine_run="$top/scripts/wine-run"
"$wine_run" "$brc32" -r "$(winpath "$work/one.rc")" -fo "$(winpath "$work/one.res")" >/dev/null  # warm up

ours=() inline=() theirs=() small=()
for _ in $(seq "$runs"); do
  ours+=("$(timed "$wine_run" "$brc32" -s "$(winpath "$work/lib.dll")" -fo "$(winpath "$work/lib.rc")")")
  inline+=("$(timed "$wine_run" "$brc32" -sh "$(winpath "$work/lib.dll")" -fo "$(winpath "$work/inline.rc")")")
  theirs+=("$(timed x86_64-w64-mingw32-windres -i "$work/lib.dll" -O rc -o "$work/lib.windres.rc")")
  small+=("$(timed "$wine_run" "$brc32" -s "$(winpath "$work/one.res")" -fo "$(winpath "$work/one_again.rc")")")
done
[ -s "$work/lib.rc" ] && [ -s "$work/lib.windres.rc" ] || { echo "no script written" >&2; exit 1; }

b=$(printf '%s\n' "${ours[@]}" | median)
h=$(printf '%s\n' "${inline[@]}" | median)
w=$(printf '%s\n' "${theirs[@]}" | median)
e=$(printf '%s\n' "${small[@]}" | median)
printf '%s: %d bytes; brc32 wrote a script of %d lines and %d side files, windres %d lines\n' \
  "$(basename "$library")" "$(stat -c %s "$library")" "$(wc -l < "$work/lib.rc")" \
  "$(find "$work/lib_files" -type f | wc -l)" "$(wc -l < "$work/lib.windres.rc")"
printf 'brc32 -s under Wine   %.3f s (median of %d)\n' "$b" "$runs"
printf 'brc32 -sh under Wine  %.3f s (binary data inline: %d lines)\n' "$h" "$(wc -l < "$work/inline.rc")"
printf 'windres -O rc, native %.3f s\n' "$w"
printf 'brc32 -s on a one-resource .res under Wine (the start of a Wine process) %.3f s\n' "$e"
printf 'ratio brc32 -s / windres: %.2f as run; %.2f without the Wine start\n' "$(echo "$b / $w" | bc -l)" \
  "$(echo "($b - $e) / $w" | bc -l)"
printf 'ratio brc32 -sh / windres: %.2f as run; %.2f without the Wine start\n' "$(echo "$h / $w" | bc -l)" \
  "$(echo "($h - $e) / $w" | bc -l)"
