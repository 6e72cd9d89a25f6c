#!/usr/bin/env bash
# branch-fixture.sh PREFIX: makes the Wine prefix look like a branch machine for "Configure Vorla":
#   - Vorla's folder and a Ghostscript placeholder in the Program Files folder that a 32-bit
#     program sees ("Program Files (x86)" in a 64-bit prefix);
#   - printers in Wine's printer registry: "CutePDF Writer" and two branch printers;
#   - a font whose family is exactly "Free 3 of 9 Extended" (a free font renamed, not the real one).
# The program and its templates are not this script's business (scripts/run.sh puts them in
# C:\vorlasched). Idempotent; a second run on a ready prefix returns at once.
set -euo pipefail
if [ $# -ne 1 ]; then
  echo "usage: $0 PREFIX" >&2
  exit 2
fi
PREFIX=$(cd "$1" && pwd)
export WINEPREFIX=$PREFIX
export WINEDEBUG=${WINEDEBUG:--all}
HERE=$(cd "$(dirname "${BASH_SOURCE[0]}")" && pwd)
C=$PREFIX/drive_c
if [ ! -d "$C/windows" ]; then
  echo "$PREFIX is not a Wine prefix (no drive_c/windows)" >&2
  exit 1
fi

STAMP=$PREFIX/.vorla-branch-fixture-1
if [ -d "$C/windows/syswow64" ]; then PROGRAM_FILES="$C/Program Files (x86)"; else PROGRAM_FILES="$C/Program Files"; fi
VORLA_DIR="$PROGRAM_FILES/Kelvane/Kelvane Vorla"
GHOSTSCRIPT="$PROGRAM_FILES/gs/gs9.14/bin/gswin32c.exe"
FONT="$C/windows/Fonts/free3of9x.ttf"

if [ -f "$STAMP" ] && [ -d "$VORLA_DIR" ] && [ -f "$GHOSTSCRIPT" ] && [ -f "$FONT" ]; then
  exit 0
fi

mkdir -p "$VORLA_DIR" "$(dirname "$GHOSTSCRIPT")"
if [ ! -f "$GHOSTSCRIPT" ]; then
  echo "placeholder for Ghostscript's console executable; the configuration only checks that it exists" \
    > "$GHOSTSCRIPT"
fi
if [ ! -f "$FONT" ]; then
  /usr/bin/python3 "$HERE/make-barcode-font.py" "$FONT.new"
  mv "$FONT.new" "$FONT"
fi

REG=$PREFIX/vorla-branch-fixture.reg
{
  printf 'REGEDIT4\r\n\r\n'
  for printer in "CutePDF Writer" "POS Receipt Printer" "Back Office Laser"; do
    printf '[HKEY_LOCAL_MACHINE\\System\\CurrentControlSet\\Control\\Print\\Printers\\%s]\r\n' "$printer"
    printf '"Name"="%s"\r\n\r\n' "$printer"
  done
  printf '[HKEY_LOCAL_MACHINE\\Software\\Microsoft\\Windows NT\\CurrentVersion\\Fonts]\r\n'
  printf '"Free 3 of 9 Extended (TrueType)"="free3of9x.ttf"\r\n\r\n'
} > "$REG"
if ! wine regedit /S "Z:${REG//\//\\}" </dev/null >/dev/null 2>&1; then
  echo "could not import $REG into $PREFIX" >&2
  exit 1
fi
touch "$STAMP"
echo "branch machine ready in $PREFIX"
