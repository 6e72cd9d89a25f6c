#!/usr/bin/env bash
# Makes the technician's package from the distributable folder that make_dist filled (the
# program, the sample templates, the technician's text): <folder>/vorlasched-<version>.zip,
# the version being the project's one version number. Usage: package.sh [DIST_FOLDER]
set -euo pipefail
source "$(dirname "$0")/lib.sh"
dist=${1:-$VORLA_DIST}

version=$(vorla_version)
check_package_inputs package.sh "$version" "$dist"

zip_name=vorlasched-$version.zip
rm -f "$dist/$zip_name"
tmp=$dist/.package-$$.zip
trap 'rm -f "$tmp"' EXIT
# Everything in the folder but earlier packages, files only, in a stable order.
(cd "$dist" && find . -type f ! -name '*.zip' ! -name '*.msi' ! -name SHA256SUMS | sed 's|^\./||' | LC_ALL=C sort |
  TZ=UTC zip -X -D -q "$tmp" -@)
mv "$tmp" "$dist/$zip_name"
log "package: $dist/$zip_name"
