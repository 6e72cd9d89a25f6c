#!/usr/bin/env bash
# Makes the folder tree with Linux symbolic links that the scan tests walk: Wine shows a link
# to a folder as a folder, so a link to an ancestor is a real cycle for the program.
#   linktree/a.prn, linktree/sub/b.prn
#   linktree/sub/up   -> ..   (back to linktree: a cycle)
#   linktree/sub/self -> .    (a cycle of one)
#   linktree/other    -> sub  (a second way into sub: no cycle)
set -euo pipefail
root=$1/linktree
rm -rf "$root"
mkdir -p "$root/sub"
: > "$root/a.prn"
: > "$root/sub/b.prn"
ln -s .. "$root/sub/up"
ln -s . "$root/sub/self"
ln -s sub "$root/other"

# A folder tree deeper than the system can open: below deeptree/deep the names nest until the
# full path passes the Linux path limit (4096 bytes), so the deepest folders cannot be searched,
# whoever runs the tests (a root user reads any folder, whatever its permissions).
#   deeptree/top_x.prn, deeptree/deep/<10 levels>/reach_x.prn (+ reach_i.pri), deeptree/deep/<25 levels>/beyond_x.prn
deep=$1/deeptree
rm -rf "$deep"
mkdir -p "$deep/deep"
: > "$deep/top_x.prn"
(
  cd "$deep/deep"
  name=$(printf 'd%.0s' $(seq 1 200))
  for level in $(seq 1 25); do
    mkdir "$name"
    cd "$name"
    if [ "$level" = 10 ]; then
      : > reach_x.prn
      printf 'ToDoStr=FWDVORLA"AB:1:DEEP\r\n' > reach_i.pri
    fi
  done
  : > beyond_x.prn
)

# Two folders whose links cross (neither leads back up the way down to it), each with one job:
#   crosstree/a/j1_x.prn, crosstree/b/j2_x.prn (+ _i.pri), crosstree/a/tob -> ../b, crosstree/b/toa -> ../a
cross=$1/crosstree
rm -rf "$cross"
mkdir -p "$cross/a" "$cross/b"
for job in a/j1 b/j2; do
  printf '%%!PS' > "$cross/${job}_x.prn"
  printf 'ToDoStr=FWDVORLA"AB:1:=1+2\r\n' > "$cross/${job}_i.pri"
done
ln -s ../b "$cross/a/tob"
ln -s ../a "$cross/b/toa"
