#!/usr/bin/python3
"""The fleet's PowerShell scripts, read as text (PowerShell cannot run here): each finds the
program through the InstallDir that the package records (installer/vorlasched.wxs), in the
registry's 32-bit view, and says so when it is absent; none sets the console's encoding (that
throws where PowerShell has no console), each reads the output as UTF-8 from the process's own
pipe; the Configuration Manager script has a value for every row of the fleet guide's table; the
guide's remoting examples set no console encoding either. Usage: fleet_scripts_check.py SOURCE"""
import re
import sys
from pathlib import Path

source = Path(sys.argv[1])
guide = (source / "docs" / "fleet.md").read_text(encoding="utf-8")
key = re.search(r'Root="HKLM" Key="([^"]+)" Name="InstallDir"',
                (source / "installer/vorlasched.wxs").read_text(encoding="utf-8")).group(1)
failures = []


def code_of(text):
    """The script without its comment lines and end-of-line comments."""
    return "\n".join(re.sub(r"(^|\s)#.*$", "", line) for line in text.splitlines())


def section(title):
    start = guide.index(title)
    return guide[start:guide.index("\n#", start + len(title))]


scripts = {p.name: code_of(p.read_text(encoding="utf-8")) for p in sorted((source / "docs/fleet").glob("*.ps1"))}
for name, code in scripts.items():
    missing = [needed for needed in (f"'{key.lower()}'", "'installdir'", "::registry32", "not-installed|not installed",
                                     "standardoutputencoding = [system.text.encoding]::utf8")
               if not any(each in code.lower() for each in needed.split("|"))]
    failures += [f"{name}: lacks {needed}" for needed in missing]
    failures += [f"{name}: {bad}" for bad in ("[Console]::OutputEncoding", "C:\\vorlasched") if bad in code]

# Each row of the guide's table: its exit code a case of the script's switch, its value a literal.
configmgr = scripts["configmgr-discovery.ps1"]
rows = re.findall(r"^\| (exit code \d+|any other exit code|no JSON document|no program) \| (.*) \|$",
                  section("### Configuration Manager: a configuration item"), re.M)
if len(rows) < 7:
    failures.append(f"the guide's Configuration Manager table has {len(rows)} rows")
for ends, value in rows:
    number = re.fullmatch(r"exit code (\d+)", ends)
    if number and not re.search(rf"^\s*{number.group(1)} {{", configmgr, re.M):
        failures.append(f"configmgr-discovery.ps1: no case for {ends}")
    if ends == "any other exit code" and "default {" not in configmgr:
        failures.append("configmgr-discovery.ps1: no default case")
    literal = re.match(r"`([a-z-]+)`", value)
    if literal and not re.search(rf"""['"]{literal.group(1)}['"]""", configmgr):
        failures.append(f"configmgr-discovery.ps1: never returns {literal.group(1)} ({ends})")
if "[Console]::OutputEncoding" in section("### PowerShell remoting over a list of machines"):
    failures.append("the guide's remoting examples set the console's encoding")

print("\n".join(failures) or f"{len(scripts)} fleet scripts read InstallDir; every exit code has a value")
sys.exit(1 if failures else 0)
