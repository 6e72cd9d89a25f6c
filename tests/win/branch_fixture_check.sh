#!/usr/bin/env bash
# The demo's branch machine: tests/support/branch-fixture.sh applied (twice) to a prefix of its
# own, then the configuration dialog's machine checks run there by branch_fixture_probe.exe.
#   branch_fixture_check.sh PREFIX PROBE.exe
set -euo pipefail
ROOT=$(cd "$(dirname "$0")/../.." && pwd)
source "$ROOT/scripts/lib.sh"
prepare_prefix "$1" 2>/dev/null
probe=$2
trap 'wineserver -k </dev/null >/dev/null 2>&1 || true' EXIT

"$ROOT/tests/support/branch-fixture.sh" "$WINEPREFIX"
# A second run on the ready prefix changes nothing and says nothing.
again=$("$ROOT/tests/support/branch-fixture.sh" "$WINEPREFIX")
[ -z "$again" ] || { echo "second run was not idempotent: $again"; exit 1; }

out=$(wine "$probe" </dev/null 2>/dev/null | tr -d "\r") || { echo "the checks failed on the branch machine:"; echo "$out"; exit 1; }
echo "$out"
expected="printers Back Office Laser|CutePDF Writer|POS Receipt Printer"
[ "$(head -1 <<<"$out")" = "$expected" ] || { echo "expected: $expected"; exit 1; }
[ "$(wc -l <<<"$out")" -eq 1 ] || { echo "the checks showed messages"; exit 1; }
echo "branch machine fixture: checks pass"
