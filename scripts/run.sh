#!/usr/bin/env bash
# Builds vorlasched.exe and starts it under Wine on a ready demo machine: the program in
# C:\vorlasched with its templates, a stand-in submit client beside it, a branch-machine
# set-up (Vorla's folder, Ghostscript, printers, the barcode font) and a sample spool folder
# in C:\spool to drop onto the window. Without a display it runs under Xvfb; either way it says how to look.
set -euo pipefail
source "$(dirname "$0")/lib.sh"

"$VORLA_ROOT/scripts/install-deps.sh"
# Only what the demo runs: the program, its console twin and the stand-in submit client.
build_win vorlasched vorlasched_console vorlatcpw
make_dist

prepare_demo "$VORLA_ROOT/build/demo"

# Runs on the display there is, or under Xvfb (with_display), and says how to look at it.
start_demo() {
  log "display $DISPLAY; to look: DISPLAY=$DISPLAY XAUTHORITY=${XAUTHORITY:-~/.Xauthority} import -window root shot.png  (or x11vnc -display $DISPLAY)"
  log "starting C:\\vorlasched\\vorlasched.exe C:\\spool: the window lists it as a drop would; File > Resubmit files (analyze) expands it"
  (cd "$WINEPREFIX/drive_c/vorlasched" && LANG=el_GR.UTF-8 wine 'C:\vorlasched\vorlasched.exe' 'C:\spool')
}
# xvfb-run runs its command through sh, which drops exported functions: hand them over as text.
with_display bash -c "$(declare -f start_demo log); start_demo"
wineserver -k >/dev/null 2>&1 || true
