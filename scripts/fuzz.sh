#!/usr/bin/env bash
# Runs every fuzz target long (default 10 minutes each; FUZZ_SECONDS to change), natively with
# AddressSanitizer and UndefinedBehaviorSanitizer. Findings land in build/native/tests/fuzz/.
set -euo pipefail
source "$(dirname "$0")/lib.sh"
"$VORLA_ROOT/scripts/install-deps.sh"
build_native
cmake -S "$VORLA_ROOT" -B "$VORLA_NATIVE_BUILD" -DVORLA_FUZZ_SECONDS="${FUZZ_SECONDS:-600}" >/dev/null
cmake --build "$VORLA_NATIVE_BUILD"
cd "$VORLA_NATIVE_BUILD" && ctest --output-on-failure -L fuzz -j"$(nproc)"
