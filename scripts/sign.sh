#!/usr/bin/env bash
# Signs files in place with an Authenticode signature (SHA-256), by osslsigncode:
#   scripts/sign.sh FILE...
# With VORLA_SIGN_PFX and VORLA_SIGN_PASSWORD, the release's certificate signs. Without them, a
# throwaway certificate does, issued by a test root of its own, both named "... not trusted" so
# that nobody mistakes them for real ones; they are made once in $VORLA_SIGN_TEST_DIR (default
# build/test-signing), whose root.pem verifies them:
#   osslsigncode verify -CAfile build/test-signing/root.pem -in FILE
# VORLA_SIGN_TIMESTAMP_URL (the release machine's) adds an RFC 3161 timestamp. Without one, the
# signing time is SOURCE_DATE_EPOCH when set, so that two builds of a commit sign alike.
set -euo pipefail
source "$(dirname "$0")/lib.sh"
[ $# -gt 0 ] || { echo "usage: sign.sh FILE..." >&2; exit 1; }
test_dir=${VORLA_SIGN_TEST_DIR:-$VORLA_ROOT/build/test-signing}

# The test root and the throwaway certificate it issues, valid from 2000 so that any commit's
# time is a valid signing time.
make_test_certificate() {
  local dir=$1 name="vorlasched test signing, not trusted"
  mkdir -p "$dir/ca"
  cat >"$dir/ca/ca.cnf" <<CNF
[ca]
default_ca = test
[test]
dir = $dir/ca
database = $dir/ca/index.txt
new_certs_dir = $dir/ca
serial = $dir/ca/serial
default_md = sha256
policy = any
[any]
commonName = supplied
[root]
basicConstraints = critical, CA:TRUE
keyUsage = critical, keyCertSign
[signing]
basicConstraints = CA:FALSE
keyUsage = critical, digitalSignature
extendedKeyUsage = codeSigning
CNF
  : >"$dir/ca/index.txt"
  echo 01 >"$dir/ca/serial"
  local ca=(openssl ca -batch -notext -config "$dir/ca/ca.cnf" -startdate 20000101000000Z -enddate 20991231235959Z)
  openssl req -new -newkey rsa:2048 -nodes -keyout "$dir/root.key" -subj "/CN=vorlasched test root, not trusted" \
    -out "$dir/ca/root.csr" 2>/dev/null
  "${ca[@]}" -selfsign -extensions root -keyfile "$dir/root.key" -in "$dir/ca/root.csr" -out "$dir/root.pem" 2>/dev/null
  openssl req -new -newkey rsa:2048 -nodes -keyout "$dir/signing.key" -subj "/CN=$name" \
    -out "$dir/ca/signing.csr" 2>/dev/null
  "${ca[@]}" -extensions signing -keyfile "$dir/root.key" -cert "$dir/root.pem" -in "$dir/ca/signing.csr" \
    -out "$dir/signing.pem" 2>/dev/null
  openssl pkcs12 -export -passout pass:test -inkey "$dir/signing.key" -in "$dir/signing.pem" \
    -certfile "$dir/root.pem" -out "$dir/signing.pfx"
}

if [ -n "${VORLA_SIGN_PFX:-}" ]; then
  pfx=$VORLA_SIGN_PFX
  password=${VORLA_SIGN_PASSWORD:?VORLA_SIGN_PASSWORD goes with VORLA_SIGN_PFX}
else
  if [ ! -f "$test_dir/signing.pfx" ]; then
    log "sign: making the throwaway test certificate in $test_dir (not trusted anywhere)"
    make_test_certificate "$test_dir.new.$$"
    # Another run may have made one meanwhile: the first one made stays.
    mv -T "$test_dir.new.$$" "$test_dir" 2>/dev/null || rm -rf "$test_dir.new.$$"
  fi
  pfx=$test_dir/signing.pfx
  password=test
fi

when=()
if [ -n "${VORLA_SIGN_TIMESTAMP_URL:-}" ]; then
  when=(-ts "$VORLA_SIGN_TIMESTAMP_URL")
elif [ -n "${SOURCE_DATE_EPOCH:-}" ]; then
  when=(-time "$SOURCE_DATE_EPOCH")
fi
for file in "$@"; do
  osslsigncode sign -pkcs12 "$pfx" -readpass <(printf '%s' "$password") -h sha256 -n "VorlaTcp Scheduler" \
    "${when[@]}" -in "$file" -out "$file.signed" >/dev/null
  mv "$file.signed" "$file"
done
