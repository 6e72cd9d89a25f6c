#!/usr/bin/env bash
# Makes the Windows Installer package from the distributable folder that make_dist filled:
# <folder>/vorlasched-<version>.msi, holding every file of the folder but the packages, built by
# wixl from installer/vorlasched.wxs. The version is the project's one version number unless
# given (the tests build a newer package of the same files this way).
# Usage: msi.sh [DIST_FOLDER] [VERSION]
set -euo pipefail
source "$(dirname "$0")/lib.sh"
dist=${1:-$VORLA_DIST}
version=${2:-$(vorla_version)}
wxs=$VORLA_ROOT/installer/vorlasched.wxs

check_package_inputs msi.sh "$version" "$dist"

# The package's contents: the digest of every file it holds (everything in the folder but earlier
# packages), in a stable order.
upgrade_code=$(sed -n 's/.*UpgradeCode="\([0-9A-F-]*\)".*/\1/p' "$wxs")
files_digest=$(cd "$dist" && find . -type f ! -name '*.zip' ! -name '*.msi' ! -name SHA256SUMS | LC_ALL=C sort |
  xargs -d '\n' sha256sum | sha256sum | cut -c1-64)
# Each version and contents has its own ProductCode, the same on every build of them: a
# name-based UUID of both under the fixed UpgradeCode. A rebuild of one version with other files
# (a fleet's own templates) is then another product, which replaces the installed one as a
# major upgrade; the same files always give the same code.
product_code=$(/usr/bin/python3 -c 'import sys, uuid; print(str(uuid.uuid5(uuid.UUID(sys.argv[1]), sys.argv[2])).upper())' \
  "$upgrade_code" "product $version $files_digest")

work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
# wixl finds sources by relative paths only: the folder and the icon are linked into the work folder.
ln -s "$(cd "$dist" && pwd)" "$work/dist"
ln -s "$VORLA_ROOT/assets/vorlasched.ico" "$work/vorlasched.ico"
# The files: everything in the folder but earlier packages, in a stable order.
# wixl-heat gives folders random names: they are named in order instead, the same on every build.
(cd "$dist" && find . -type f ! -name '*.zip' ! -name '*.msi' ! -name SHA256SUMS | sed 's|^\./|dist/|' | LC_ALL=C sort) |
  wixl-heat -p dist/ --directory-ref INSTALLDIR --component-group ProgramFiles --var var.DistDir |
  /usr/bin/python3 -c 'import re, sys; ids = {}; print(re.sub("dir[0-9A-F]{32}",
    lambda m: ids.setdefault(m.group(0), f"dirDist{len(ids)}"), sys.stdin.read()), end="")' >"$work/files.wxs"

msi=$dist/vorlasched-$version.msi
(cd "$work" && wixl -a x86 -o package.msi -D Version="$version" -D ProductCode="{$product_code}" \
  -D DistDir=dist -D IconFile=vorlasched.ico "$wxs" files.wxs)
# What wixl cannot express, added to its package one SQL query at a time.
sql() { msibuild "$work/package.msi" -q "$1"; }
# ADDTOPATH=1 installs the component MachinePath, whose Environment row appends the install
# folder to the machine's PATH ("=-*PATH", "[~];…") and on uninstall takes off only that part.
# The condition holds on uninstall too, where the property is not given, so that every engine
# removes the component (Wine's leaves a component whose condition is false where it is).
sql "UPDATE Component SET Condition = 'ADDTOPATH = \"1\" OR REMOVE ~= \"ALL\"' WHERE Component = 'MachinePath'"
sql 'CREATE TABLE `Environment` (`Environment` CHAR(72) NOT NULL, `Name` CHAR(255) NOT NULL LOCALIZABLE,
     `Value` CHAR(255) LOCALIZABLE, `Component_` CHAR(72) NOT NULL PRIMARY KEY `Environment`)'
sql "INSERT INTO Environment (Environment, Name, Value, Component_)
     VALUES ('MachinePath', '=-*PATH', '[~];[INSTALLDIR]', 'MachinePath')"
sql "INSERT INTO InstallExecuteSequence (Action, Sequence) VALUES ('RemoveEnvironmentStrings', 3300)"
sql "INSERT INTO InstallExecuteSequence (Action, Sequence) VALUES ('WriteEnvironmentStrings', 5200)"
sql "UPDATE RemoveFile SET DirProperty = 'KelvaneFolder' WHERE FileKey = 'RemoveKelvaneFolder'"
# A package of the same version with other contents (another ProductCode), and a release that
# differs only in the fourth part of its version (which Windows Installer does not compare),
# replace the installed one too, instead of installing beside it: the upgrade range includes its
# upper end (msidbUpgradeAttributesVersionMaxInclusive | MigrateFeatures), as WiX's MajorUpgrade
# AllowSameVersionUpgrades="yes" makes it; wixl's MajorUpgrade has no such attribute. Its
# downgrade row starts above the version (VersionMin not inclusive), so the same version is no
# downgrade.
sql "DELETE FROM Upgrade WHERE ActionProperty = 'WIX_UPGRADE_DETECTED'"
sql "INSERT INTO Upgrade (UpgradeCode, VersionMax, Attributes, ActionProperty)
     VALUES ('{$upgrade_code}', '$version', 513, 'WIX_UPGRADE_DETECTED')"
# The same files make the same package: its times are SOURCE_DATE_EPOCH (make_dist sets it; the
# files' own times otherwise stay as they are), and its package code, which must change whenever
# the package does, is derived from the version and the files' contents.
/usr/bin/python3 "$VORLA_ROOT/scripts/msi_summary.py" "$work/package.msi" "$upgrade_code" "$version $files_digest" \
  "${SOURCE_DATE_EPOCH:-$(date +%s)}"
mv "$work/package.msi" "$msi"
log "package: $msi (ProductCode {$product_code})"
