#!/usr/bin/env bash
# Builds vorlasched.exe and starts it under Wine on a ready demo machine: the program in
# C:\vorlasched with its templates, a stand-in submit client beside it, a branch-machine
# set-up (Vorla's folder, Ghostscript, printers, the barcode font) and a sample spool folder
# in C:\spool to drop onto the window. Without a display it runs under Xvfb and says how to look.
set -euo pipefail
source "$(dirname "$0")/lib.sh"

"$VORLA_ROOT/scripts/install-deps.sh"
# Only what the demo runs: the program, its console twin and the stand-in submit client.
build_win vorlasched vorlasched_console vorlatcpw
make_dist

prepare_demo "$VORLA_ROOT/build/demo"
C=$WINEPREFIX/drive_c

start_demo() {
  log "starting C:\\vorlasched\\vorlasched.exe C:\\spool: the window lists it as a drop would; File > Resubmit files (analyze) expands it"
  (cd "$C/vorlasched" && LANG=el_GR.UTF-8 wine 'C:\vorlasched\vorlasched.exe' 'C:\spool')
}

if [ -n "${DISPLAY:-}" ] && xdpyinfo >/dev/null 2>&1; then
  start_demo
else
  display=:${VORLA_DEMO_DISPLAY:-77}
  Xvfb "$display" -screen 0 1280x1024x24 -nolisten tcp >/dev/null 2>&1 &
  xvfb=$!
  trap 'kill $xvfb 2>/dev/null || true' EXIT
  sleep 1
  export DISPLAY=$display
  log "no display: running under Xvfb on $display."
  log "to look: DISPLAY=$display import -window root shot.png  (or x11vnc -display $display)"
  start_demo
fi
wineserver -k >/dev/null 2>&1 || true
