#!/usr/bin/python3
"""Checks the technician's package that make_dist makes: usage package_check.py SOURCE BUILD VERSION.

The package must hold the built program, every file of assets/dist (the sample templates
that the configuration copies and the technician's text) and nothing else, byte for byte,
and nothing from the test fixtures. VERSION is the project's (CMake's project(VERSION)): the
package's name and the technician's text carry it."""
import os
import shutil
import subprocess
import sys
import zipfile
from pathlib import Path

source, build, version = Path(sys.argv[1]), Path(sys.argv[2]), sys.argv[3]
scratch = build / "package-check"
dist = scratch / "dist"
failures = []


def check(condition, message):
    if not condition:
        failures.append(message)


shutil.rmtree(scratch, ignore_errors=True)
scratch.mkdir(parents=True)
env = dict(os.environ, VORLA_DIST=str(dist), VORLA_WIN_BUILD=str(build))
subprocess.run(["bash", "-c", 'source "$1/scripts/lib.sh" && make_dist', "make_dist", str(source)],
               env=env, check=True)

package = dist / f"vorlasched-{version}.zip"
if not package.is_file():
    sys.exit(f"no package {package}; the dist folder holds {sorted(os.listdir(dist))}")

# What should be in it, and where each entry comes from.
assets = source / "assets" / "dist"
# The shipped program is the build's, stripped of its debug information.
shipped = dist / "vorlasched.exe"
check(shipped.read_bytes()[:2] == b"MZ", "the shipped program is no Windows executable")
check(b".debug_info" not in shipped.read_bytes(), "the shipped program still carries debug information")
check(shipped.stat().st_size < (build / "vorlasched.exe").stat().st_size, "the shipped program is not stripped")
expected = {"vorlasched.exe": shipped, "vorlasched.com": dist / "vorlasched.com"}
console = (dist / "vorlasched.com").read_bytes()
check(console[:2] == b"MZ" and b".debug_info" not in console, "the console twin is not a stripped executable")
for path in sorted(assets.rglob("*")):
    if path.is_file():
        expected[path.relative_to(assets).as_posix()] = path

with zipfile.ZipFile(package) as z:
    check(z.testzip() is None, "the zip is damaged")
    names = [info.filename for info in z.infolist()]
    check(len(names) == len(set(names)), f"entries twice: {names}")
    check(set(names) == set(expected), f"entries {sorted(names)}, expected {sorted(expected)}")
    for name in names:
        if name in expected:
            want = expected[name].read_bytes()
            if name == "README-technician.txt":  # the one text that make_dist fills in
                want = want.replace(b"@PROJECT_VERSION@", version.encode())
            check(z.read(name) == want, f"{name} differs from {expected[name]}")
    contents = {name: z.read(name) for name in names}

# The program reads these beside itself; the technician's text explains them.
for name in ("vorlasched.exe", "vorlasched.com", "generic_ab.esc", "ab1.bmp", "abPOS.xml", "abBACK.xml", "README-technician.txt"):
    check(name in contents, f"{name} is missing")

# Nothing of the test fixtures, by name or by content.
fixtures = [p for p in (source / "tests" / "support").rglob("*") if p.is_file()]
fixture_names = {p.name.lower() for p in fixtures}
fixture_bytes = {p.read_bytes() for p in fixtures if p.stat().st_size > 0}
for name, data in contents.items():
    check(Path(name).name.lower() not in fixture_names, f"{name} has the name of a test fixture")
    check(data not in fixture_bytes, f"{name} is a copy of a test fixture")

# The technician's text: plain text for Notepad (ASCII, CR LF), covering every command,
# what the configuration needs, and that the samples are to be replaced.
text = contents.get("README-technician.txt", b"")
check(all(b < 0x80 for b in text), "the technician's text is not ASCII")
check(text.startswith(f"VorlaTcp Scheduler {version} ".encode()), "the technician's text does not name the version")
check(text.count(b"\n") > 0 and text.count(b"\n") == text.count(b"\r\n"), "the technician's text has bare line ends")
for phrase in ("Clear list", "Resubmit files (analyze)", "Resubmit files (submit)", "Split PRI files",
               "Convert POS and BACK", "Exit", "Configure Vorla", "Upgrade Vorla", "About",
               "Kelvane\\Kelvane Vorla", "gs\\gs9.14\\bin\\gswin32c.exe", "CutePDF Writer", "Free 3 of 9 Extended",
               "generic_ab.esc", "ab1.bmp", "abPOS.xml", "abBACK.xml", "SAMPLES ONLY"):
    check(phrase.encode() in text, f"the technician's text does not mention {phrase!r}")

shutil.rmtree(scratch, ignore_errors=True)
if failures:
    print("\n".join(failures))
    sys.exit(1)
print(f"{package.name}: {len(contents)} entries as expected")
