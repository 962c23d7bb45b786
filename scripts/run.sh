#!/usr/bin/env bash
# Runs the utility: installs what is missing, builds the utility, the conversion
# package and their release archive (out/windows/MivoCompile-<version>-win64.zip;
# headless, also the driver that works it), and none of the tests; unpacks the
# archive at C:\ of the project's Wine prefix for running it (out/wineprefix-run;
# the tests use their own), as a Windows user would, which
# puts the utility, the conversion package (the Kestrix template, the checker
# and the resource compiler) and a sample script at the utility's default
# paths under C:\VORN\MivoConvert, and starts MivoCompile.exe there.
#
#   scripts/run.sh                     on $DISPLAY when an X server answers there,
#                                      else headless (as --headless)
#   scripts/run.sh --headless          under a private Xvfb: build the sample script
#                                      through the utility, print its trace, run the
#                                      built program, and save two pictures:
#                                      out/screenshot.png (the utility after the build)
#                                      and out/screenshot-built-program.png
#   scripts/run.sh --screenshot FILE   headless, only a picture of the utility with
#                                      its debug window, saved to FILE
#   scripts/run.sh --headless -- STEP...
#                                      headless, working the program through
#                                      mivo_drive's steps before the picture, e.g.
#                                      -- menu 40003 open 'C:\VORN\MivoConvert\Samples\Sample.rc' click 1000
#
# With the package at the default paths the utility starts cleanly with no INI
# at all. A tool key of C:\windows\MivoCompile.ini that names a file which
# cannot be read is pointed back at the installed package; every other setting
# is left as the last run saved it.
set -euo pipefail
source "$(dirname "${BASH_SOURCE[0]}")/lib.sh"

top=$mivo_top
bin="$top/out/windows/bin"

# Inside the Wine session: install the package, prepare the INI, then show,
# demonstrate or photograph the program.
in_session() {
  local mode=$1
  shift
  install_package
  ensure_ini
  mkdir -p "$top/out/run"
  case "$mode" in
    visible)
      echo "run: MivoCompile.exe on $DISPLAY; close it to end"
      cd "$install"
      wine "$install/MivoCompile.exe"
      ;;
    demo)
      MIVO_BIN_DIR="$bin" "$top/scripts/demo.sh" "$1" "$2"
      ;;
    *)
      local shot=$1
      shift
      # The driver starts the installed utility, not the build's.
      MIVO_BIN_DIR="$bin" MIVO_E2E_BIN_DIR='C:\VORN\MivoConvert' "$top/scripts/screenshot.sh" "$shot" "$@"
      echo "run: the picture is $shot"
      ;;
  esac
}

# The release archive unpacked at C:\, over a clean C:\VORN\MivoConvert, so
# that what runs is exactly what ships.
install_package() {
  local archive
  archive=$(ls -t "$top"/out/windows/MivoCompile-*-win64.zip 2>/dev/null | head -n 1)
  [ -n "$archive" ] || { echo "run: no release archive in out/windows" >&2; exit 1; }
  install="$WINEPREFIX/drive_c/VORN/MivoConvert"
  rm -rf "$install"
  (cd "$WINEPREFIX/drive_c" && cmake -E tar xf "$archive")
  [ -f "$install/MivoCompile.exe" ] || { echo "run: $archive holds no VORN/MivoConvert/MivoCompile.exe" >&2; exit 1; }
  echo "run: $(basename "$archive") unpacked at C:\\, the utility in C:\\VORN\\MivoConvert"
}

# The file of this machine behind a Windows path of the prefix, or nothing.
unix_path() {
  local path=${1//\\//}
  case "$path" in
    [Zz]:/*) printf '%s' "${path:2}" ;;
    [Cc]:/*) printf '%s' "$WINEPREFIX/drive_c${path:2}" ;;
  esac
}

ensure_ini() {
  local ini="$WINEPREFIX/drive_c/windows/MivoCompile.ini"
  local -A standIn=(
    [MivoKestrix]='C:\VORN\MivoConvert\Mivokestrix\KestRix.exe'
    [Sarvex]='C:\VORN\MivoConvert\Tools\Sarvex.exe'
    [BRC32]='C:\VORN\MivoConvert\Bc4\bin\brc32.exe'
  )
  local key
  [ -f "$ini" ] || return 0  # the utility writes its defaults itself
  for key in MivoKestrix Sarvex BRC32; do
    local value file
    value=$(sed -n "s/^$key=\\(.*\\)\$/\\1/p" "$ini" | head -n 1 | tr -d '\r')
    file=$(unix_path "$value")
    if [ -z "$file" ] || [ ! -r "$file" ]; then
      # The replacement goes through the environment: awk -v would read its backslashes as escapes.
      KEY="$key" VALUE="${standIn[$key]}" awk '
        BEGIN { key = ENVIRON["KEY"]; value = ENVIRON["VALUE"]; done = 0 }
        { line = $0; sub(/\r$/, "", line) }
        !done && index(line, key "=") == 1 { printf "%s=%s\r\n", key, value; done = 1; next }
        { printf "%s\r\n", line }
        /^\[Configuration\]/ && !done { printf "%s=%s\r\n", key, value; done = 1 }
      ' "$ini" >"$ini.new"
      mv "$ini.new" "$ini"
      echo "run: $key pointed at the installed package (was \"$value\")"
    fi
  done
}

if [ "${1:-}" = "--in-session" ]; then
  shift
  in_session "$@"
  exit
fi

mode=""
shot="$top/out/screenshot.png"
program_shot="$top/out/screenshot-built-program.png"
demo=1
steps=()
while [ $# -gt 0 ]; do
  case "$1" in
    --headless) mode=headless; shift ;;
    --screenshot) mode=headless; demo=0; shot=$(realpath -m "$2"); shift 2 ;;
    --) shift; demo=0; steps=("$@"); break ;;
    -h|--help) mivo_usage "$0"; exit 0 ;;
    *) echo "run: unknown argument $1" >&2; exit 2 ;;
  esac
done
if [ -z "$mode" ]; then
  if [ -n "${DISPLAY:-}" ] && xdpyinfo -display "$DISPLAY" >/dev/null 2>&1; then
    mode=visible
  else
    mode=headless
  fi
fi

bash "$top/scripts/setup.sh"
cmake --preset windows >/dev/null
# Only what runs: the programs and their archive, and for the headless modes
# the driver that works the utility (the test command builds everything).
targets=(release_zip)
[ "$mode" = visible ] || targets+=(mivo_drive)
cmake --build --preset windows --target "${targets[@]}"

# The utility runs in a prefix of its own: the tests' prefix must not hold the
# package at the default paths, whose absence they check.
export WINEPREFIX="${WINEPREFIX:-$top/out/wineprefix-run}"

if [ "$mode" = visible ]; then
  exec "$top/scripts/wine-session.sh" --current-display "$0" --in-session visible
fi
if [ $demo -eq 1 ]; then
  exec "$top/scripts/wine-session.sh" "$0" --in-session demo "$shot" "$program_shot"
fi
exec "$top/scripts/wine-session.sh" "$0" --in-session headless "$shot" "${steps[@]}"
