#!/usr/bin/env bash
# The shipped files as a security review sees them. Usage: security_check.sh CHECK SOURCE BUILD
#   imports       the programs import only KnownDLLs (comctl32 comes from the manifest's assembly)
#   signatures    make_dist's files verify against the test root; a copy with one byte changed fails
#   reproducible  a second build of the same sources, copied to another folder, makes the same files
set -euo pipefail
check=$1 source=$2 build=$3
source "$source/scripts/lib.sh"
# Signed with the test certificate, whatever the environment gives for a release.
unset VORLA_SIGN_PFX VORLA_SIGN_PASSWORD VORLA_SIGN_TIMESTAMP_URL
export VORLA_WIN_BUILD=$build VORLA_SIGN_TEST_DIR=$build/test-signing
scratch=$build/security-$check
rm -rf "$scratch" && mkdir -p "$scratch"
fail() { echo "FAILED: $*" >&2; exit 1; }

case $check in
imports)
  known=" advapi32.dll comctl32.dll comdlg32.dll gdi32.dll kernel32.dll msvcrt.dll ole32.dll oleaut32.dll shell32.dll shlwapi.dll user32.dll "
  for program in "$build/vorlasched.exe" "$build/vorlasched.com"; do
    for dll in $(i686-w64-mingw32-objdump -p "$program" | sed -n 's/^\s*DLL Name: //p' | tr 'A-Z' 'a-z'); do
      [[ $known == *" $dll "* ]] || fail "$program imports $dll, which Windows would look for beside it first"
    done
  done
  ;;
signatures)
  VORLA_DIST=$scratch/dist make_dist >/dev/null 2>&1
  mkdir "$scratch/zip" && (cd "$scratch/zip" && unzip -q "$scratch"/dist/*.zip)
  for file in "$scratch"/dist/vorlasched.{exe,com} "$scratch"/dist/*.msi "$scratch"/zip/vorlasched.{exe,com}; do
    osslsigncode verify -CAfile "$VORLA_SIGN_TEST_DIR/root.pem" -in "$file" >"$scratch/verify.log" 2>&1 ||
      fail "$file does not verify: $(cat "$scratch/verify.log")"
    grep -q "vorlasched test signing, not trusted" "$scratch/verify.log" || fail "$file is signed by another certificate"
    python3 -c 'import sys; b = bytearray(open(sys.argv[1], "rb").read()); b[len(b) // 3] ^= 1; open(sys.argv[2], "wb").write(b)' \
      "$file" "$scratch/changed"
    ! osslsigncode verify -CAfile "$VORLA_SIGN_TEST_DIR/root.pem" -in "$scratch/changed" >/dev/null 2>&1 ||
      fail "$file with one byte changed still verifies"
  done
  (cd "$scratch/dist" && sha256sum --quiet -c SHA256SUMS) || fail "SHA256SUMS does not match the files"
  [ "$(wc -l <"$scratch/dist/SHA256SUMS")" -eq "$(find "$scratch/dist" -type f ! -name SHA256SUMS | wc -l)" ] ||
    fail "SHA256SUMS does not list every file"
  ;;
reproducible)
  # The same sources (the commit, with whatever the working tree changes) in another folder.
  export SOURCE_DATE_EPOCH=$(source_date_epoch)
  mkdir "$scratch/copy"
  (cd "$source" && git ls-files -z -co --exclude-standard | tar --null -T - -cf -) | tar -C "$scratch/copy" -xf -
  VORLA_DIST=$scratch/first make_dist >/dev/null 2>&1
  (VORLA_WIN_BUILD=$scratch/copy/build/win VORLA_DIST=$scratch/second
   source "$scratch/copy/scripts/lib.sh" && build_win vorlasched vorlasched_console >/dev/null && make_dist >/dev/null 2>&1)
  diff "$scratch/first/SHA256SUMS" "$scratch/second/SHA256SUMS" >&2 || fail "the two builds differ"
  ;;
esac
echo "security $check: ok"
