#!/usr/bin/env bash
# Pictures of the program as a technician sees it: starts the demo under Xvfb at 96, 144 and 192
# DPI (LogPixels in the demo's Wine prefix) and saves, for each, the main window with analysed rows and the dialogs "Auto configure",
# "Convert TODO" and "About" as PNG files (default folder build/screenshots), named
# main-96.png, config-144.png, convert-192.png, about-96.png and so on.
#   scripts/screenshots.sh [OUTPUT_FOLDER]
set -euo pipefail
source "$(dirname "$0")/lib.sh"

OUT=$(mkdir -p "${1:-$VORLA_ROOT/build/screenshots}" && cd "${1:-$VORLA_ROOT/build/screenshots}" && pwd)
WORK=$VORLA_ROOT/build/screenshots-demo
DRIVER=$WORK/screenshot_driver.exe

# shoot NAME CLASS [COMMAND_ID]: posts the menu command, waits for the window and saves it.
shoot() {
  local geometry
  geometry=$(wine "$DRIVER" show "$2" ${3:-} | tr -d '\r')
  import -window root -crop "$geometry" +repage "$OUT/$1.png"
  log "saved $OUT/$1.png ($geometry)"
}

# The demo at one DPI: analysed rows, then each dialog in turn, closed again after its picture.
shoot_at() {
  local dpi=$1 c=$WINEPREFIX/drive_c
  wine reg add 'HKCU\Control Panel\Desktop' /v LogPixels /t REG_DWORD /d "$dpi" /f >/dev/null 2>&1
  wineserver -w
  (cd "$c/vorlasched" && LANG=el_GR.UTF-8 wine 'C:\vorlasched\vorlasched.exe' 'C:\spool') &
  local program=$!
  shoot "main-$dpi" TMainForm 102            # File > Resubmit files (analyze)
  shoot "config-$dpi" TConfigForm 201        # Tools > Configure Vorla
  wine "$DRIVER" close TConfigForm
  shoot "convert-$dpi" TConvertPBForm 105    # File > Convert POS and BACK
  wine "$DRIVER" close TConvertPBForm
  shoot "about-$dpi" TAboutForm 301          # Help > About
  wine "$DRIVER" close TAboutForm
  wine "$DRIVER" close TMainForm
  wait "$program" || true
}

if [ "${VORLA_SCREENSHOTS_INSIDE:-}" = 1 ]; then
  export WINEPREFIX=$WORK/wineprefix
  for dpi in 96 144 192; do shoot_at "$dpi"; done
  wine reg add 'HKCU\Control Panel\Desktop' /v LogPixels /t REG_DWORD /d 96 /f >/dev/null 2>&1
  wineserver -k >/dev/null 2>&1 || true
  exit 0
fi

"$VORLA_ROOT/scripts/install-deps.sh"
build_win vorlasched vorlasched_console vorlatcpw
make_dist
prepare_demo "$WORK"
i686-w64-mingw32-g++-posix -municode -O1 -static -o "$DRIVER" "$VORLA_ROOT/scripts/screenshot_driver.cpp"
# A screen of its own, large enough for the main window at 192 DPI at its place (417, 224).
VORLA_SCREENSHOTS_INSIDE=1 xvfb-run -a -s "-screen 0 1600x1200x24" "$0" "$OUT"
