#!/usr/bin/env bash
# For working on one area: builds the Windows targets in $VORLA_WIN_BUILD (default build/win)
# and runs the ctest selection given as arguments under Wine, e.g.
#   VORLA_WIN_BUILD=$PWD/build/mine scripts/dev-test.sh -R Bitmap
# With --native first, builds and runs the native (sanitizer) tests in $VORLA_NATIVE_BUILD instead.
set -euo pipefail
source "$(dirname "$0")/lib.sh"
if [ "${1:-}" = "--native" ]; then
  shift
  build_native
  cd "$VORLA_NATIVE_BUILD" && exec ctest --output-on-failure "$@"
fi
build_win
prepare_prefix "$VORLA_WIN_BUILD/wineprefix"
LANG=${LANG_UNDER_TEST:-el_GR.UTF-8} with_display "$VORLA_ROOT/scripts/wine-ctest.sh" "$@"
