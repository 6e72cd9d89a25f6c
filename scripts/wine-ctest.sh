#!/usr/bin/env bash
# ctest under Wine with one warm wineserver for the build's prefix: arguments go to ctest.
set -uo pipefail
source "$(dirname "$0")/lib.sh"
export WINEPREFIX=$VORLA_WIN_BUILD/wineprefix
start_wineserver
rc=0
(cd "$VORLA_WIN_BUILD" && ctest --output-on-failure "$@") || rc=$?
stop_wineserver
exit $rc
