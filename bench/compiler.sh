#!/usr/bin/env bash
# Compiler benchmark: brc32 against windres on one large generated script
# (a few thousand resources: dialogs, menus, string tables, data, version
# records, with function-like macros and includes), in one run, as a ratio.
#
#   bench/compiler.sh [resources] [runs]      (default 3000 resources, 5 runs)
#
# brc32.exe runs under Wine (scripts/wine-run inside one scripts/wine-session.sh
# session), windres natively: the figures say so. Wine's start of a process is
# measured on an empty script and printed, with the ratio both with and without
# it. Each figure is the median of the runs; the output is checked to be a .res.
set -euo pipefail

top=$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)
build="${MIVO_BUILD_DIR:-$top/out/windows}"
count="${1:-3000}"
runs="${2:-5}"

if [ -z "${MIVO_BENCH_IN_SESSION:-}" ]; then
  MIVO_BENCH_IN_SESSION=1 exec "$top/scripts/wine-session.sh" "$0" "$@"
fi

work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
python3 - "$work" "$count" <<'PY'
import sys
work, count = sys.argv[1], int(sys.argv[2])
with open(work + '/ids.h', 'w') as h:
    for i in range(count):
        h.write('#define IDD_%d %d\n' % (i, 1000 + i))
out = ['#include <windows.h>', '#include "ids.h"',
       '#define STR(x) #x', '#define XSTR(x) STR(x)', '#define ITEM(n) MENUITEM "Item " XSTR(n), n',
       '#define BOX(x, y) x, y, 60, 14']
for i in range(count):
    kind = i % 5
    if kind == 0:
        out += ['IDD_%d DIALOGEX 0, 0, 200, 100' % i, 'STYLE DS_MODALFRAME | WS_POPUP | WS_CAPTION',
                'CAPTION "Dialog " XSTR(%d)' % i, 'FONT 8, "MS Shell Dlg"', 'BEGIN',
                '  LTEXT "Name:", 100, BOX(5, 5)', '  EDITTEXT 101, BOX(70, 5), ES_AUTOHSCROLL',
                '  DEFPUSHBUTTON "OK", IDOK, BOX(70, 80)', '  PUSHBUTTON "Cancel", IDCANCEL, BOX(135, 80)', 'END']
    elif kind == 1:
        out += ['%d MENU' % (1000 + i), 'BEGIN', '  POPUP "&File"', '  BEGIN', '    ITEM(%d)' % i,
                '    ITEM(%d)' % (i + 1), '    MENUITEM SEPARATOR', '    MENUITEM "E&xit", 2', '  END', 'END']
    elif kind == 2:
        out += ['STRINGTABLE', 'BEGIN'] + ['  %d, "String " XSTR(%d) " of the table"' % (i * 16 + k, k)
                                          for k in range(16)] + ['END']
    elif kind == 3:
        out += ['%d RCDATA { 1, 2L, "data " "joined", L"wide", 0x7FFF }' % (1000 + i)]
    else:
        out += ['%d VERSIONINFO' % (1000 + i), 'FILEVERSION 1,2,3,%d' % i, 'BEGIN', '  BLOCK "StringFileInfo"',
                '  BEGIN', '    BLOCK "040904b0"', '    BEGIN', '      VALUE "FileVersion", "1.2.3." XSTR(%d) "\\0"' % i,
                '    END', '  END', 'END']
with open(work + '/big.rc', 'w') as f:
    f.write('\n'.join(out) + '\n')
with open(work + '/empty.rc', 'w') as f:
    f.write('\n')
PY

# shellcheck source=bench/timing.sh
. "$top/bench/timing.sh"
brc32="$build/bin/package/brc32.exe"
wine_run="$top/scripts/wine-run"
timed "$wine_run" "$brc32" -r "$(winpath "$work/empty.rc")" -fo "$(winpath "$work/empty.res")" >/dev/null  # warm up

ours=() theirs=() empty=()
for _ in $(seq "$runs"); do
  ours+=("$(timed "$wine_run" "$brc32" -r "$(winpath "$work/big.rc")" -fo "$(winpath "$work/big.res")")")
  theirs+=("$(timed x86_64-w64-mingw32-windres -I /usr/share/mingw-w64/include -O res "$work/big.rc" "$work/big.windres.res")")
  empty+=("$(timed "$wine_run" "$brc32" -r "$(winpath "$work/empty.rc")" -fo "$(winpath "$work/empty.res")")")
done
[ -s "$work/big.res" ] && [ -s "$work/big.windres.res" ] || { echo "no .res written" >&2; exit 1; }

b=$(printf '%s\n' "${ours[@]}" | median)
w=$(printf '%s\n' "${theirs[@]}" | median)
e=$(printf '%s\n' "${empty[@]}" | median)
lines=$(wc -l < "$work/big.rc")
printf 'script: %d resources, %d lines, %d bytes; brc32 wrote %d bytes, windres %d\n' "$count" "$lines" \
  "$(stat -c %s "$work/big.rc")" "$(stat -c %s "$work/big.res")" "$(stat -c %s "$work/big.windres.res")"
printf 'brc32 under Wine      %.3f s (median of %d)\n' "$b" "$runs"
printf 'windres, native       %.3f s\n' "$w"
printf 'brc32 on an empty script under Wine (the start of a Wine process) %.3f s\n' "$e"
printf 'ratio brc32 / windres: %.2f as run; %.2f without the Wine start\n' "$(echo "$b / $w" | bc -l)" \
  "$(echo "($b - $e) / $w" | bc -l)"
