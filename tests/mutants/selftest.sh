#!/usr/bin/env bash
# scripts/mutants.sh on a tiny repository of its own: a change of one condition gets the expected
# mutants; its test catches two of them, and the planted test that always passes leaves the third
# (the boundary) alive; a second file, whose tests run for the first time after the first file's
# last mutant, is tried on a tree rebuilt unmutated; the repository's files are as they were.
set -euo pipefail
script=$(cd "$(dirname "$0")/../.." && pwd)/scripts/mutants.py
repo=$(mktemp -d)
trap 'git -C "$repo" worktree remove --force build/mutants/tree >/dev/null 2>&1; rm -rf "$repo"' EXIT
cd "$repo"
git init -q -b main . && git config user.email t@t && git config user.name t
mkdir -p src tests/mutants
cat > src/gate.c <<'C'
int gate_open(int x)
{
    if (x > 20)
        return 1;
    return 0;
}
C
cat > src/latch.c <<'C'
int gate_open(int x);
int latch_held(int x) { return gate_open(x) == 0; }
C
cat > tests/latch_test.c <<'C'
int latch_held(int x);
int main(void) { return latch_held(11) == 0 ? 0 : 1; }
C
cat > tests/gate_test.c <<'C'
int gate_open(int x);
int main(void) { return gate_open(11) == 1 && gate_open(0) == 0 ? 0 : 1; }
C
cat > CMakeLists.txt <<'C'
cmake_minimum_required(VERSION 3.20)
project(gate C)
enable_testing()
add_executable(gate_test tests/gate_test.c src/gate.c)
add_test(NAME gate COMMAND gate_test)
add_test(NAME always COMMAND true)
add_executable(latch_test tests/latch_test.c src/latch.c src/gate.c)
add_test(NAME latch COMMAND latch_test)
C
cat > tests/mutants/map.txt <<'C'
build c: cmake -S . -B build/c -G Ninja >/dev/null && cmake --build build/c
test c: cd build/c && ctest -R '{tests}'
src/gate.c gate|always
src/latch.c latch
C
printf 'build/\n' > .gitignore
git add -A && git commit -qm base
sed -i 's/x > 20/x > 10/' src/gate.c
sed -i 's/== 0; }/== 0 ; }/' src/latch.c
git commit -qam 'opens above 10'

expect() {  # expect TEXT: the output holds the line
  grep -qF -- "$1" <<<"$out" || { printf 'missing: %s\nin:\n%s\n' "$1" "$out" >&2; exit 1; }
}
out=$(/usr/bin/python3 "$script" HEAD~1 --list)
expect "5 mutants on the lines"
expect "src/gate.c:3"
for change in "if (x > 10) -> if (!(x > 10))" "if (x > 10) -> if (x >= 10)" "if (x > 10) -> if (x > 11)"; do
  expect "$change"
done
[ ! -e build/mutants ] || { echo "--list built something" >&2; exit 1; }

out=$(/usr/bin/python3 "$script" HEAD~1 | tr -s " ")
expect "if (x > 10) -> if (!(x > 10)) caught by gate"
expect "if (x > 10) -> if (x >= 10) SURVIVED"
expect "if (x > 10) -> if (x > 11) caught by gate"
expect "src/latch.c:2"
expect "score: 4 of 5 caught (80 %), 1 survived"
git diff --quiet HEAD && git -C build/mutants/tree diff --quiet HEAD || { echo "a tree was left mutated" >&2; exit 1; }
echo "mutants self-test: $(tail -1 <<<"$out")"
