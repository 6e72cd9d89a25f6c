#!/usr/bin/env bash
# Installs everything the build, the tests and the demo need. Idempotent: a second
# run with nothing to do returns at once.
set -euo pipefail

need_pkgs=(
  g++-mingw-w64-i686 cmake ninja-build googletest
  wine wine32:i386 xvfb xauth x11-utils imagemagick
  fonts-liberation fonts-wine python3-pil python3-fonttools
  clang libclang-rt-14-dev zip unzip wixl msitools python3-jsonschema osslsigncode python3-olefile
  ansible-core
)

SUDO=""
[ "$(id -u)" -eq 0 ] || SUDO="sudo"

# The branch machines' locale: Wine takes its code pages from it, and file names outside
# ASCII need a UTF-8 locale that really exists on the Linux side.
if ! locale -a 2>/dev/null | grep -qi '^el_GR\.utf-\?8$'; then
  dpkg-query -W -f='${Status}' locales 2>/dev/null | grep -q "install ok installed" || {
    $SUDO apt-get -o DPkg::Lock::Timeout=600 update -qq
    $SUDO apt-get -o DPkg::Lock::Timeout=600 install -y -qq locales >/dev/null; }
  grep -q '^el_GR.UTF-8 UTF-8' /etc/locale.gen 2>/dev/null || echo 'el_GR.UTF-8 UTF-8' | $SUDO tee -a /etc/locale.gen >/dev/null
  $SUDO locale-gen >/dev/null
fi

missing=()
for p in "${need_pkgs[@]}"; do
  dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q "install ok installed" || missing+=("$p")
done
if ! dpkg --print-foreign-architectures | grep -qx i386; then
  $SUDO dpkg --add-architecture i386
  missing+=(wine32:i386)
fi
[ ${#missing[@]} -eq 0 ] && exit 0

export DEBIAN_FRONTEND=noninteractive
$SUDO apt-get -o DPkg::Lock::Timeout=600 update -qq
$SUDO apt-get -o DPkg::Lock::Timeout=600 install -y -qq --no-install-recommends "${missing[@]}" >/dev/null
