#!/usr/bin/python3
"""The fleet guide's Ansible play, taken out of docs/fleet.md as it is written there, against the
Windows Installer package that msiexec installed into a fresh prefix made a branch machine: the
role finds the program through the package alone, and the guide's Wine environment gives the
branch's code page whatever the controller's locale. Rows, in order: --check --diff, the run, the
rerun (ok), and the removal of a BACK series with --diff. Usage: fleet_guide_check.py SOURCE BUILD"""
import json
import os
import re
import shutil
import subprocess
import sys
from pathlib import Path

import yaml

source, build = Path(sys.argv[1]), Path(sys.argv[2])
dist, prefix, work = build / "fleet-guide-dist", build / "fleet-guide-prefix", build / "fleet-guide"
env = dict(os.environ, WINEPREFIX=str(prefix), WINEDEBUG="-all", WINEARCH="win32", LC_ALL="C.UTF-8",
           WINEDLLOVERRIDES="mscoree,mshtml,winemenubuilder.exe=", VORLA_DIST=str(dist), VORLA_WIN_BUILD=str(build))
HEADER = "ΚΑΤΑΣΤΗΜΑ 12: Ερμού 1\r\nΑθήνα\r\nΕΔΡΑ: Πειραιώς 150\r\nΤηλ. 210 0000000\r\nΑΦΜ 0"
MAPS = "HKLM\\SOFTWARE\\Kelvane\\Vorla\\maps"
RECAP = re.compile(r"^\S+\s+: ok=(\d+)\s+changed=(\d+)\s+unreachable=\d+\s+failed=(\d+)", re.M)


def run(*args, **kwargs):
    return subprocess.run(args, env=kwargs.pop("env", env), stdin=subprocess.DEVNULL, capture_output=True,
                          timeout=300, **kwargs)


def bash(script, *args):
    done = run("bash", "-c", f'source "{source}/scripts/lib.sh" && {script}', "bash", *args)
    if done.returncode:
        raise SystemExit(f"{script} failed:\n{done.stderr.decode(errors='replace')}")


def guide_blocks():
    """The play and the Wine inventory of the guide's Ansible section, as written."""
    guide = (source / "docs" / "fleet.md").read_text(encoding="utf-8")
    blocks = re.findall(r"^```yaml\n(.*?)^```", guide, re.M | re.S)
    play = next(b for b in blocks if b.startswith("- hosts: branches"))
    inventory = next(b for b in blocks if b.startswith("branches:"))
    return play, inventory


def machine():
    """A fresh branch machine with the package installed by msiexec, and the branch's header as
    ANSI text of the Greek code page where the guide's play names it."""
    shutil.rmtree(dist, ignore_errors=True)
    shutil.rmtree(prefix, ignore_errors=True)
    bash("make_dist")
    bash('prepare_prefix "$1" && "$2" "$1" && start_wineserver', str(prefix),
         str(source / "tests" / "support" / "branch-fixture.sh"))
    package = next(dist.glob("vorlasched-*.msi"))
    done = run("wine", "msiexec", "/i", "Z:" + str(package).replace("/", "\\"), "/qn")
    if done.returncode:
        raise SystemExit(f"msiexec /i ended with {done.returncode}")
    header = prefix / "drive_c" / "vorlasched" / "header.txt"
    header.parent.mkdir(parents=True, exist_ok=True)
    header.write_bytes(HEADER.encode("cp1253"))


def playbook(play, inventory, *options):
    """(ok, changed, failed) of the recap, and the whole output."""
    (work / "play.yml").write_text(play, encoding="utf-8")
    (work / "inventory.yml").write_text(inventory, encoding="utf-8")
    controller = dict(env, ANSIBLE_ROLES_PATH=str(source / "docs" / "fleet" / "ansible"), ANSIBLE_NOCOLOR="1",
                      ANSIBLE_LOCAL_TEMP=str(work), ANSIBLE_HOME=str(work), ANSIBLE_RETRY_FILES_ENABLED="0")
    for name in ("WINEPREFIX", "WINEDEBUG", "WINEARCH"):  # the branch's environment is the guide's own
        controller.pop(name)
    done = run("ansible-playbook", "-i", str(work / "inventory.yml"), *options, str(work / "play.yml"),
               env=controller)
    output = done.stdout.decode("utf-8", "replace") + done.stderr.decode("utf-8", "replace")
    recap = RECAP.search(output)
    if not recap:
        raise AssertionError("no recap:\n" + output)
    return tuple(int(n) for n in recap.groups()), output


def map_keys():
    done = run("wine", "reg", "query", MAPS, "/reg:32")
    return {line.strip().rsplit("\\", 1)[1] for line in done.stdout.decode(errors="replace").splitlines()
            if line.strip().upper().startswith("HKEY_LOCAL_MACHINE\\SOFTWARE\\KELVANE\\VORLA\\MAPS\\")}


def rows(play, inventory):
    failures = []

    def expect(condition, what, output):
        if not condition:
            failures.append(what + "\n" + output)

    (_, changed, failed), output = playbook(play, inventory, "--check", "--diff")
    expect((changed, failed) == (1, 0) and not map_keys(), "--check --diff: changed, nothing written", output)
    expect("+" + HEADER.splitlines()[0] in output, "--check --diff: the header's Greek as the branch reads it", output)

    (_, changed, failed), output = playbook(play, inventory)
    configured = map_keys()
    expect((changed, failed) == (1, 0) and configured, "the run: changed, the maps written", output)

    (ok, changed, failed), output = playbook(play, inventory)
    expect((ok > 0, changed, failed) == (True, 0, 0), "the rerun: ok", output)

    fewer = play.replace('vorlasched_back: "9,10,12"', 'vorlasched_back: "9,10"')
    expect(fewer != play, "the guide's play has no BACK series 9,10,12", play)
    (_, changed, failed), output = playbook(fewer, inventory, "--diff")
    removed = configured - map_keys()
    expect((changed, failed, len(removed)) == (1, 0, 1), "a BACK series removed: changed, one map key gone", output)
    # The diff names the map key that went.
    expect(all(re.search(rf"^-key HKEY_LOCAL_MACHINE\\SOFTWARE\\Kelvane\\Vorla\\maps\\{key}$", output, re.M | re.I)
               for key in removed), f"a BACK series removed: the diff names the map key {removed}", output)
    return failures


def main():
    play, inventory = guide_blocks()
    # The guide's inventory for Wine branches, with this machine for its hosts and its prefix.
    hosts = yaml.safe_load(inventory)
    hosts["branches"]["hosts"] = {"localhost": {"ansible_connection": "local",
                                                "ansible_python_interpreter": "/usr/bin/python3"}}
    hosts["branches"]["vars"]["vorlasched_environment"]["WINEPREFIX"] = str(prefix)
    inventory = json.dumps(hosts)
    shutil.rmtree(work, ignore_errors=True)
    work.mkdir(parents=True)
    machine()
    try:
        failures = rows(play, inventory)
    finally:
        run("wineserver", "-k")
    print("\n".join(failures) or "the guide's play: check and diff, run, rerun ok, a BACK series removed")
    if failures:
        sys.exit(1)
    shutil.rmtree(dist, ignore_errors=True)
    shutil.rmtree(prefix, ignore_errors=True)


main()
