#!/usr/bin/env bash
# Runs every fuzz target long, natively with AddressSanitizer and UndefinedBehaviorSanitizer:
#   scripts/fuzz.sh              each target for 10 minutes (FUZZ_SECONDS=... to change)
#   scripts/fuzz.sh fuzz_series  only the targets named
#   FUZZ_RUNS=10000000           each target until it has run that many inputs (or its time is up)
#   FUZZ_JOBS=1                  one target at a time (default: one per core)
#   FUZZ_MAX_LEN=256             inputs of at most that many bytes (default: libFuzzer's 4096)
# It builds in a folder of its own ($VORLA_FUZZ_BUILD, default build/fuzz), so the short fuzz runs
# of scripts/test.sh keep their few seconds. New inputs are kept in
# $VORLA_FUZZ_BUILD/tests/fuzz/corpus/<target>; an input that crashes a target or breaks one of
# its properties is saved as $VORLA_FUZZ_BUILD/findings/<target>-crash-<hash> and makes the script
# exit non-zero. At the end it prints, per target, the inputs executed and what was found.
set -euo pipefail
source "$(dirname "$0")/lib.sh"
"$VORLA_ROOT/scripts/install-deps.sh"
VORLA_NATIVE_BUILD=${VORLA_FUZZ_BUILD:-$VORLA_ROOT/build/fuzz}
build_native

seconds=${FUZZ_SECONDS:-600}
runs=${FUZZ_RUNS:--1}
jobs_at_once=${FUZZ_JOBS:-$(nproc)}
max_len=()
if [ -n "${FUZZ_MAX_LEN:-}" ]; then max_len=(-max_len="$FUZZ_MAX_LEN"); fi
fuzz_dir=$VORLA_NATIVE_BUILD/tests/fuzz
findings=$VORLA_NATIVE_BUILD/findings
mkdir -p "$findings"
stamp=$findings/.started
touch "$stamp"
if [ $# -gt 0 ]; then
  targets=("$@")
else
  targets=()
  for source in "$VORLA_ROOT"/tests/fuzz/fuzz_*.cpp; do targets+=("$(basename "$source" .cpp)"); done
fi

# One target at a time per core.
run_target() {
  local name=$1
  mkdir -p "$fuzz_dir/corpus/$name"
  "$fuzz_dir/$name" -max_total_time="$seconds" -runs="$runs" "${max_len[@]}" -print_final_stats=1 -artifact_prefix="$findings/$name-" \
    "$fuzz_dir/corpus/$name" "$VORLA_ROOT/tests/fuzz/corpus/$name" >"$findings/$name.log" 2>&1
}
pids=()
for name in "${targets[@]}"; do
  run_target "$name" &
  pids+=($!)
  while [ "$(jobs -rp | wc -l)" -ge "$jobs_at_once" ]; do sleep 1; done
done
failed=0
for i in "${!pids[@]}"; do
  wait "${pids[$i]}" || failed=1
done

for name in "${targets[@]}"; do
  executed=$(sed -n 's/^stat::number_of_executed_units: *//p' "$findings/$name.log" | tail -1)
  took=$(sed -n 's/^Done [0-9]* runs in \([0-9]*\) second.*/\1/p' "$findings/$name.log" | tail -1)
  found=$(find "$findings" -maxdepth 1 -name "$name-*" -newer "$stamp" ! -name '*.log' | wc -l)
  printf '%-24s %12s inputs in %ss, %s finding(s)\n' "$name" "${executed:-?}" "${took:-$seconds}" "$found"
done
[ "$failed" -eq 0 ] || { echo "a target failed: see $findings" >&2; exit 1; }
