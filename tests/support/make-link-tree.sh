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
