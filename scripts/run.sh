#!/usr/bin/env bash
# Runs the utility: installs what is missing, builds the Windows preset, and
# starts MivoCompile.exe under Wine in the project's prefix.
#
#   scripts/run.sh                     on $DISPLAY when an X server answers there,
#                                      else headless (as --headless)
#   scripts/run.sh --headless          under a private Xvfb: open the debug window,
#                                      save a picture to out/screenshot.png, exit
#   scripts/run.sh --screenshot FILE   the same, with the picture saved to FILE
#   scripts/run.sh --headless -- STEP...
#                                      headless, working the program through
#                                      mivo_drive's steps before the picture, e.g.
#                                      -- menu 40003 open 'Z:\work\demo\menu.rc' click 1000
#
# The tool paths of the prefix's C:\windows\MivoCompile.ini are pointed at the
# conversion-package stand-ins of the build when the INI is missing or names a
# tool file that cannot be read; the utility refuses to start otherwise. Every
# other setting in the INI is left as the last run saved it.
set -euo pipefail

top=$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)
bin="$top/out/windows/bin"

# Inside the Wine session: prepare the INI, then show or photograph the program.
in_session() {
  local mode=$1
  shift
  ensure_ini
  mkdir -p "$top/out/run"
  if [ "$mode" = visible ]; then
    echo "run: MivoCompile.exe on $DISPLAY; close it to end"
    cd "$top/out/run"
    wine "$bin/MivoCompile.exe"
  else
    local shot=$1
    shift
    "$top/scripts/screenshot.sh" "$shot" "$@"
    echo "run: the picture is $shot"
  fi
}

# The Windows path Wine gives a file of this machine.
windows_path() { printf 'Z:%s' "${1//\//\\}"; }

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
    [MivoKestrix]="$bin/package/KestRix.exe"
    [Sarvex]="$bin/package/Sarvex.exe"
    [BRC32]="$bin/package/brc32.exe"
  )
  local key
  for key in MivoKestrix Sarvex BRC32; do
    [ -r "${standIn[$key]}" ] || echo "run: warning: ${standIn[$key]} is not built; the utility will refuse to start" >&2
  done
  if [ ! -f "$ini" ]; then
    printf '[Configuration]\r\nMivoKestrix=%s\r\nSarvex=%s\r\nBRC32=%s\r\n' \
      "$(windows_path "${standIn[MivoKestrix]}")" "$(windows_path "${standIn[Sarvex]}")" \
      "$(windows_path "${standIn[BRC32]}")" >"$ini"
    echo "run: wrote $ini with the stand-in tools"
    return
  fi
  for key in MivoKestrix Sarvex BRC32; do
    local value file
    value=$(sed -n "s/^$key=\\(.*\\)\$/\\1/p" "$ini" | head -n 1 | tr -d '\r')
    file=$(unix_path "$value")
    if [ -z "$file" ] || [ ! -r "$file" ]; then
      # The replacement goes through the environment: awk -v would read its backslashes as escapes.
      KEY="$key" VALUE="$(windows_path "${standIn[$key]}")" awk '
        BEGIN { key = ENVIRON["KEY"]; value = ENVIRON["VALUE"]; done = 0 }
        { line = $0; sub(/\r$/, "", line) }
        !done && index(line, key "=") == 1 { printf "%s=%s\r\n", key, value; done = 1; next }
        { printf "%s\r\n", line }
        /^\[Configuration\]/ && !done { printf "%s=%s\r\n", key, value; done = 1 }
      ' "$ini" >"$ini.new"
      mv "$ini.new" "$ini"
      echo "run: $key pointed at the stand-in (was \"$value\")"
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
steps=()
while [ $# -gt 0 ]; do
  case "$1" in
    --headless) mode=headless; shift ;;
    --screenshot) mode=headless; shot=$(realpath -m "$2"); shift 2 ;;
    --) shift; steps=("$@"); break ;;
    -h|--help) sed -n '2,20p' "$0"; exit 0 ;;
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
cmake --build --preset windows

if [ "$mode" = visible ]; then
  exec "$top/scripts/wine-session.sh" --current-display "$0" --in-session visible
fi
exec "$top/scripts/wine-session.sh" "$0" --in-session headless "$shot" "${steps[@]}"
