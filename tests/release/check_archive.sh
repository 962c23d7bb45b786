#!/usr/bin/env bash
# Checks the release archive: exactly the expected files, built after the
# programs it ships, README.txt with CRLF line ends, every program with its
# manifest of per-monitor scale, and no program importing
# a DLL that Windows does not provide (a MinGW runtime DLL means a link that
# is not static).
#
#   check_archive.sh ARCHIVE OBJDUMP BUILT_PROGRAM...
set -euo pipefail

archive=$1 objdump=$2
shift 2

expected='VORN/MivoConvert/Bc4/bin/brc32.exe
VORN/MivoConvert/MivoCompile.exe
VORN/MivoConvert/Mivokestrix/KestRix.exe
VORN/MivoConvert/README.txt
VORN/MivoConvert/Samples/Sample.rc
VORN/MivoConvert/Tools/Sarvex.exe'
# The DLLs a program may import: parts of Windows itself (compared in lower case).
system_dlls=' kernel32.dll user32.dll gdi32.dll comdlg32.dll comctl32.dll advapi32.dll shell32.dll msvcrt.dll version.dll '

[ -f "$archive" ] || { echo "no archive $archive; build the package target" >&2; exit 1; }
failed=0
fail() { echo "FAIL: $*" >&2; failed=1; }

for built in "$@"; do
  [ "$built" -nt "$archive" ] && fail "$built is newer than the archive; build the package target again"
done

work=$(mktemp -d "${TMPDIR:-/tmp}/mivo-release.XXXXXX")
trap 'rm -rf "$work"' EXIT
(cd "$work" && cmake -E tar xf "$archive")
listed=$(cd "$work" && find . -type f | sed 's|^\./||' | LC_ALL=C sort)
if [ "$listed" != "$expected" ]; then
  fail "the archive's files differ from the release's:"
  diff <(echo "$expected") <(echo "$listed") >&2 || true
fi
empty=$(cd "$work" && find . -mindepth 1 -type d -empty)
[ -z "$empty" ] || fail "empty folders in the archive: $empty"

readme="$work/VORN/MivoConvert/README.txt"
if [ -f "$readme" ]; then
  [ -s "$readme" ] || fail "README.txt is empty"
  bare=$(grep -c -v $'\r$' "$readme" || true)
  [ "$bare" -eq 0 ] || fail "README.txt has $bare line(s) without CRLF"
fi

while IFS= read -r program; do
  imports=$("$objdump" -p "$program" | sed -n 's/^[[:space:]]*DLL Name: //p' | tr 'A-Z' 'a-z')
  [ -n "$imports" ] || fail "${program#$work/}: no import table read"
  for dll in $imports; do
    [[ "$system_dlls" == *" $dll "* ]] || fail "${program#$work/} imports $dll, which Windows does not provide"
  done
  # The manifest that declares the display scales the program honours.
  grep -q 'PerMonitorV2' "$program" || fail "${program#$work/} declares no per-monitor scale in a manifest"
  echo "${program#$work/}: imports" $imports
done < <(find "$work" -iname '*.exe' | LC_ALL=C sort)

[ $failed -eq 0 ] && echo "release archive $(basename "$archive"): $(wc -c <"$archive") bytes, checked"
exit $failed
