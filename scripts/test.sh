#!/usr/bin/env bash
# Builds everything and runs every test: the pure tests natively under AddressSanitizer and
# UndefinedBehaviorSanitizer, then the pure and Win32 tests under Wine (windows under Xvfb),
# once with the Greek code page of the branch machines and the ANSI-text tests again with
# the Western one. Exits non-zero on any failure.
set -euo pipefail
source "$(dirname "$0")/lib.sh"

# Tests whose outcome depends on the ANSI code page, run under both.
ANSI_TESTS="Ansi|JobInfo|Untranslated|Analysis"

# Each step says when it starts (seconds since the start), so a slow run shows where it lost time.
step() { log "$(printf '%4ss' "$SECONDS") $*"; }

step "installs"
"$VORLA_ROOT/scripts/install-deps.sh"

step "native build (sanitizers)"
build_native
step "native tests"
(cd "$VORLA_NATIVE_BUILD" && ctest --output-on-failure -j2)

step "Windows build"
build_win
make_dist

step "Wine prefix"
prepare_prefix "$VORLA_WIN_BUILD/wineprefix"

step "tests under Wine, Greek code page (1253)"
# The tests of the product's registry key hold a CTest resource lock (tests/CMakeLists.txt),
# so CTest runs them one at a time, beside the others.
LANG=el_GR.UTF-8 with_display "$VORLA_ROOT/scripts/wine-ctest.sh" -j2
step "ANSI-text tests under Wine, Western code page (1252)"
LANG=C.UTF-8 with_display "$VORLA_ROOT/scripts/wine-ctest.sh" -j2 -R "$ANSI_TESTS"
step "done"
