#!/usr/bin/env bash
# Makes the technician's package from the distributable folder that make_dist filled (the
# program, the sample templates, the technician's text): <folder>/vorlasched-<version>.zip,
# the version being the project's one version number. Usage: package.sh [DIST_FOLDER]
set -euo pipefail
source "$(dirname "$0")/lib.sh"
dist=${1:-$VORLA_DIST}

version=$(vorla_version)
if ! [[ $version =~ ^[0-9]+\.[0-9]+\.[0-9]+\.[0-9]+$ ]]; then
  echo "package.sh: no project(vorlasched VERSION a.b.c.d) in CMakeLists.txt" >&2
  exit 1
fi
if [ ! -f "$dist/vorlasched.exe" ]; then
  echo "package.sh: $dist/vorlasched.exe is missing (run make_dist first)" >&2
  exit 1
fi

zip_name=vorlasched-$version.zip
rm -f "$dist/$zip_name"
tmp=$dist/.package-$$.zip
trap 'rm -f "$tmp"' EXIT
# Everything in the folder but earlier packages, files only, in a stable order.
(cd "$dist" && find . -type f ! -name '*.zip' ! -name '*.msi' | sed 's|^\./||' | LC_ALL=C sort |
  zip -X -D -q "$tmp" -@)
mv "$tmp" "$dist/$zip_name"
log "package: $dist/$zip_name"
