#!/usr/bin/env bash
# Builds everything and runs every test: the pure tests natively under AddressSanitizer and
# UndefinedBehaviorSanitizer, then the pure and Win32 tests under Wine (windows under Xvfb),
# once with the Greek code page of the branch machines and the ANSI-text tests again with
# the Western one. Exits non-zero on any failure.
set -euo pipefail
source "$(dirname "$0")/lib.sh"

# Tests whose outcome depends on the ANSI code page, run under both.
ANSI_TESTS="Ansi|JobInfo|Untranslated|Analysis"

"$VORLA_ROOT/scripts/install-deps.sh"

log "native build (sanitizers)"
build_native
(cd "$VORLA_NATIVE_BUILD" && ctest --output-on-failure -j2)

log "Windows build"
build_win
make_dist

prepare_prefix "$VORLA_WIN_BUILD/wineprefix"

log "tests under Wine, Greek code page (1253)"
# Tests of the product's registry key share it: they run one at a time, after the others.
LANG=el_GR.UTF-8 with_display "$VORLA_ROOT/scripts/wine-ctest.sh" -j2 -E Registry
LANG=el_GR.UTF-8 with_display "$VORLA_ROOT/scripts/wine-ctest.sh" -R Registry
log "ANSI-text tests under Wine, Western code page (1252)"
LANG=C.UTF-8 with_display "$VORLA_ROOT/scripts/wine-ctest.sh" -j2 -R "$ANSI_TESTS"
