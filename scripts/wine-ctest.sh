#!/usr/bin/env bash
# ctest under Wine with one warm wineserver for the build's prefix: arguments go to ctest.
set -uo pipefail
source "$(dirname "$0")/lib.sh"
export WINEPREFIX=$VORLA_WIN_BUILD/wineprefix
# What the Win32 tests need to find: the sources (templates, scripts) and the build (fixtures, helpers).
export VORLA_SOURCE_DIR=$VORLA_ROOT VORLA_BINARY_DIR=$VORLA_WIN_BUILD
"$VORLA_ROOT/tests/support/make-link-tree.sh" "$VORLA_WIN_BUILD/fixtures"
# S: reaches a folder of the fixtures that C: or Z: reaches too, as a subst drive or a second
# name of a server reaches a spool.
if [ -d "$WINEPREFIX/dosdevices" ]; then
  mkdir -p "$VORLA_WIN_BUILD/fixtures/second-drive"
  ln -sfn "$VORLA_WIN_BUILD/fixtures/second-drive" "$WINEPREFIX/dosdevices/s:"
fi
# The console twin that the tests start stands beside win_tests.exe, copied once here with its
# time kept: tests that start together would otherwise race to copy it after a rebuild.
if [ -f "$VORLA_WIN_BUILD/vorlasched.com" ] && [ -d "$VORLA_WIN_BUILD/tests" ]; then
  cp -p "$VORLA_WIN_BUILD/vorlasched.com" "$VORLA_WIN_BUILD/tests/vorlasched.com"
fi
start_wineserver
# The desktop before any test: one that a test started would hold that test's pipe to CTest.
keeper=$VORLA_WIN_BUILD/tests/desktop_keeper.exe ready=$VORLA_WIN_BUILD/desktop-ready
if [ -f "$keeper" ]; then
  rm -f "$ready"
  wine "$keeper" "Z:${ready//\//\\}" </dev/null >/dev/null 2>&1 &
  for _ in $(seq 600); do [ -f "$ready" ] && break; sleep 0.1; done
fi
rc=0
(cd "$VORLA_WIN_BUILD" && ctest --output-on-failure "$@") || rc=$?
stop_wineserver
exit $rc
