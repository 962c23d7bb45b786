# What the scripts share, sourced by them (never run): the project's top
# folder, a script's usage text, the Wine environment and prefix, a private
# Xvfb, bounded waits, and the pictures taken while mivo_drive holds the
# utility still. Every wait here has a bound; none sleeps blindly.

mivo_top=$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)

# The comment block under a script's first line, without its "# ": its usage.
mivo_usage() {
  awk 'NR > 1 && /^#/ { sub(/^# ?/, ""); print; next } NR > 1 { exit }' "$1"
}

# mivo_wait SECONDS COMMAND...: runs COMMAND every 0.1 s until it succeeds.
# Returns 1 once SECONDS have passed without, and 2 at once when COMMAND
# returns 2 (it knows that the wait is over: a process it waits on has ended).
mivo_wait() {
  local tenths=$(($1 * 10)) status
  shift
  while true; do
    "$@" && return 0
    status=$?
    [ "$status" -eq 2 ] && return 2
    tenths=$((tenths - 1))
    [ "$tenths" -gt 0 ] || return 1
    sleep 0.1
  done
}

# The Wine environment: the project's prefix (out/wineprefix unless WINEPREFIX
# is set), no debug output, no offers to download Mono or Gecko.
mivo_wine_env() {
  export WINEPREFIX="${WINEPREFIX:-$mivo_top/out/wineprefix}"
  export WINEDEBUG="${WINEDEBUG:--all}"
  export WINEDLLOVERRIDES="${WINEDLLOVERRIDES:-mscoree,mshtml=}"
  # Wine looks for its 64-bit loader here on Debian when wine64 is not on PATH.
  if ! command -v wine64 >/dev/null 2>&1 && [ -x /usr/lib/wine/wine64 ]; then
    export PATH="$PATH:/usr/lib/wine"
  fi
}

# Creates $WINEPREFIX on first use and gives it what the utility's pictures
# need: the fonts its dialogs name, and captions drawn by Wine itself.
mivo_prepare_prefix() {
  if [ ! -f "$WINEPREFIX/system.reg" ]; then
    mkdir -p "$WINEPREFIX"
    local started
    started=$(date +%s.%N)
    wineboot -i >/dev/null 2>&1
    wineserver -w
    echo "wine-session: created Wine prefix $WINEPREFIX in $(awk "BEGIN { printf \"%.1f\", $(date +%s.%N) - $started }") s" >&2
  fi
  # Dialogs name "MS Sans Serif" and Wine's captions draw with Marlett. Debian's
  # Wine does not find its own fonts (package fonts-wine) by itself; in the
  # prefix's Fonts folder it does, and dialogs get the metrics they have on Windows
  # instead of a wider stand-in's.
  local fonts="$WINEPREFIX/drive_c/windows/Fonts" font
  for font in ms_sans_serif.ttf sserife.fon tahoma.ttf tahomabd.ttf marlett.ttf; do
    if [ -f "/usr/share/wine/fonts/$font" ] && [ ! -f "$fonts/$font" ]; then
      mkdir -p "$fonts"
      cp "/usr/share/wine/fonts/$font" "$fonts/"
    fi
  done
  # Under Xvfb no window manager draws captions and frames: Wine draws them itself,
  # as Windows would, so screenshots show the title bar.
  if [ ! -f "$WINEPREFIX/.mivo-decorated" ]; then
    wine reg add 'HKCU\Software\Wine\X11 Driver' /v Decorated /d N /f >/dev/null 2>&1 &&
      touch "$WINEPREFIX/.mivo-decorated"
  fi
}

# mivo_start_xvfb DIR [:N]: a private Xvfb (on :N, else the first free display),
# its files in DIR; exports DISPLAY and sets mivo_xvfb_pid. -displayfd makes
# the server write its display number once it accepts clients, so readiness
# is known without polling the socket.
mivo_start_xvfb() {
  local dir=$1 wanted=${2:-}
  local fd_file="$dir/displayfd" args=(-screen 0 1280x1024x24 -nolisten tcp -displayfd 3)
  : >"$fd_file"
  [ -z "$wanted" ] || args=("$wanted" "${args[@]}")
  Xvfb "${args[@]}" 3>"$fd_file" >"$dir/xvfb.log" 2>&1 &
  mivo_xvfb_pid=$!
  local status=0
  mivo_wait 20 mivo_xvfb_answered "$fd_file" || status=$?
  if [ "$status" -ne 0 ]; then
    echo "wine-session: Xvfb did not become ready:" >&2
    cat "$dir/xvfb.log" >&2
    [ "$status" -eq 2 ] && mivo_xvfb_pid=""
    return 1
  fi
  export DISPLAY=":$(head -n 1 "$fd_file")"
}

mivo_xvfb_answered() {
  [ -n "$(head -n 1 "$1" 2>/dev/null)" ] && return 0
  kill -0 "$mivo_xvfb_pid" 2>/dev/null || return 2
  return 1
}

mivo_stop_xvfb() {
  [ -n "${mivo_xvfb_pid:-}" ] || return 0
  kill "$mivo_xvfb_pid" 2>/dev/null
  wait "$mivo_xvfb_pid" 2>/dev/null
  mivo_xvfb_pid=""
}

# ---- Pictures through mivo_drive --------------------------------------------
# The driver runs in the background (mivo_drive_start); at each capture step it
# writes the rectangle of the windows once they have painted and waits for a
# file that says the picture is taken (mivo_drive_picture).

# mivo_drive_start WORK BIN ARG...: starts BIN/e2e/mivo_drive.exe with ARGs,
# its output in WORK/driver.log; sets mivo_driver_pid.
mivo_drive_start() {
  mivo_drive_work=$1
  wine "$2/e2e/mivo_drive.exe" "${@:3}" >"$mivo_drive_work/driver.log" 2>&1 &
  mivo_driver_pid=$!
}

mivo_drive_stop() {
  [ -n "${mivo_driver_pid:-}" ] && kill "$mivo_driver_pid" 2>/dev/null
  mivo_driver_pid=""
}

mivo_rect_written() {
  [ -s "$1" ] && return 0
  kill -0 "$mivo_driver_pid" 2>/dev/null || return 2
  return 1
}

# mivo_drive_picture NAME SECONDS OUTPUT SETTLE [trim]: waits at most SECONDS for
# the driver's rectangle WORK/NAME.rect, takes the picture of it into OUTPUT (or,
# with trim, of everything on the black screen), then writes WORK/NAME.done.
mivo_drive_picture() {
  local name=$1 seconds=$2 output=$3 settle=$4 trim=${5:-}
  local rect="$mivo_drive_work/$name.rect" status=0
  mivo_wait "$seconds" mivo_rect_written "$rect" || status=$?
  if [ "$status" -ne 0 ]; then
    cat "$mivo_drive_work/driver.log" >&2
    [ "$status" -eq 2 ] && echo "the driver ended before picture $name" >&2
    [ "$status" -eq 1 ] && echo "no picture $name within $seconds s" >&2
    return 1
  fi
  local crop=(-crop "$(tr -d '\r\n' <"$rect")")
  [ -z "$trim" ] || crop=(-trim)
  mivo_settled_screen "$mivo_drive_work/screen.miff" "$settle" "${crop[@]}" || return 1
  mkdir -p "$(dirname "$output")"
  /usr/bin/convert "miff:$mivo_drive_work/screen.miff" "${crop[@]}" +repage "$output"
  touch "$mivo_drive_work/$name.done"
}

# mivo_settled_screen FILE READS CONVERT-OPTION...: the screen into FILE once it
# has been drawn. The windows have painted, but Wine hands finished paint to the
# X server on its own schedule: the part of the screen the options select is
# read every 0.2 s until READS reads in a row are alike and not of one colour,
# for 10 s at most. Alike is the same number of colours over the same bounding
# box of what is not background, so a blinking caret does not count as drawing.
# The screen is read with ImageMagick's import, one image of the root window:
# xwd reads each window of its own colormap apart and leaves a top-level window
# that lies wholly inside another (a dialog over its owner) black.
mivo_settled_screen() {
  local file=$1 reads=$2 previous="" same=0 tries sum
  shift 2
  for ((tries = 0; tries < 50; tries++)); do
    /usr/bin/import -silent -display "$DISPLAY" -window root "miff:$file"
    sum=$(/usr/bin/convert "miff:$file" "$@" +repage -format '%k %@' info:)
    if [ "$sum" = "$previous" ] && [ "${sum%% *}" -gt 1 ]; then
      same=$((same + 1))
      [ "$same" -ge $((reads - 1)) ] && return 0
    else
      same=0
      previous=$sum
    fi
    sleep 0.2
  done
  echo "the screen did not settle within 10 s" >&2
  return 1
}

# mivo_drive_finish: waits for the driver, prints its output; its exit status.
mivo_drive_finish() {
  local status=0
  wait "$mivo_driver_pid" || status=$?
  mivo_driver_pid=""
  tr -d '\r' <"$mivo_drive_work/driver.log"
  return "$status"
}
