#!/usr/bin/env bash
# Runs the benchmarks under Wine and prints their figures (not pass/fail).
#   scripts/bench.sh            100,000 jobs in 100 folders, plus the scaling at 10,000
#   BENCH_FULL=1 scripts/bench.sh   also the scaling at 1,000,000 jobs (2 million files, minutes)
set -euo pipefail
source "$(dirname "$0")/lib.sh"
"$VORLA_ROOT/scripts/install-deps.sh"
build_win
cmake --build "$VORLA_WIN_BUILD" --target bench_analysis vorlatcpw vorlasched_console bench_configure >/dev/null
prepare_prefix "$VORLA_WIN_BUILD/wineprefix"
DATA=$VORLA_ROOT/build/bench-data
BENCH="$VORLA_WIN_BUILD/bench/bench_analysis.exe"

tree() {  # tree JOBS FOLDERS -> the Windows path of a generated spool tree
  local dir=$DATA/tree-$1
  /usr/bin/python3 "$VORLA_ROOT/bench/make_tree.py" "$dir" "$1" "$2"
  echo "Z:${dir//\//\\}"
}

run() { LANG=el_GR.UTF-8 wine "$BENCH" "$@" </dev/null 2>/dev/null; }

bench_all() {
  start_wineserver
  echo "machine: $(nproc) cores, $(free -g | awk '/Mem:/{print $2}') GiB, $(uname -r), $(wine --version)"
  T100K=$(tree 100000 100)
  run engine "$T100K"
  run window "$T100K"
  run memory 100000
  run memory 1000000
  run submit 300 "Z:${VORLA_WIN_BUILD//\//\\}\\tests"
  run submit-window 200 "Z:${VORLA_WIN_BUILD//\//\\}\\tests"
  run submit-lock 100 "Z:${VORLA_WIN_BUILD//\//\\}\\tests" "Z:${VORLA_WIN_BUILD//\//\\}\\vorlasched.com"
  run tidy 50
  run json "$T100K" "Z:${VORLA_WIN_BUILD//\//\\}\\vorlasched.com"
  (export VORLA_BINARY_DIR="$VORLA_WIN_BUILD"; cd "$VORLA_WIN_BUILD/tests" &&
    LANG=el_GR.UTF-8 wine ./bench_configure.exe </dev/null 2>/dev/null | grep -vE "^\[|^$")
  echo "scaling (engine):"
  run engine "$(tree 10000 10)" | grep -E "engine:|b/a|per job"
  run engine "$T100K" | grep -E "engine:|b/a|per job"
  if [ -n "${BENCH_FULL:-}" ]; then run engine "$(tree 1000000 1000)" | grep -E "engine:|b/a|per job"; fi
  stop_wineserver
}
export WINEPREFIX
with_display bash -c "$(declare -f tree run bench_all start_wineserver stop_wineserver); DATA='$DATA' BENCH='$BENCH' VORLA_ROOT='$VORLA_ROOT' VORLA_WIN_BUILD='$VORLA_WIN_BUILD' bench_all"
