#!/usr/bin/python3
"""The fleet guide's Ansible play and Wine inventory, taken out of docs/fleet.md as written, against
the package that msiexec installed into a fresh branch-machine prefix, the controller in another
locale: --check --diff, the run, the rerun (ok), a BACK series removed with --diff.
Usage: fleet_guide_check.py SOURCE BUILD"""
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
branch = dict(os.environ, WINEPREFIX=str(prefix), WINEDEBUG="-all", WINEARCH="win32", VORLA_DIST=str(dist),
              VORLA_WIN_BUILD=str(build), WINEDLLOVERRIDES="mscoree,mshtml,winemenubuilder.exe=")
# The controller, in a Western locale, with nothing of Wine's: the branch's environment is the guide's.
controller = dict({k: v for k, v in os.environ.items() if not k.startswith("WINE")}, LC_ALL="C.UTF-8",
                  ANSIBLE_ROLES_PATH=str(source / "docs/fleet/ansible"), ANSIBLE_NOCOLOR="1",
                  ANSIBLE_LOCAL_TEMP=str(work), ANSIBLE_HOME=str(work))
HEADER = "ΚΑΤΑΣΤΗΜΑ 12: Ερμού 1\r\nΑθήνα\r\nΕΔΡΑ: Πειραιώς 150\r\nΤηλ. 210 0000000\r\nΑΦΜ 0"
RECAP = re.compile(r"^\S+\s+: ok=(\d+)\s+changed=(\d+)\s+unreachable=\d+\s+failed=(\d+)", re.M)


def run(*args, env=branch, check=False):
    done = subprocess.run(args, env=env, stdin=subprocess.DEVNULL, capture_output=True, timeout=300)
    if check and done.returncode:
        raise SystemExit(f"{args} ended with {done.returncode}:\n{done.stderr.decode(errors='replace')}")
    return done.stdout.decode("utf-8", "replace") + done.stderr.decode("utf-8", "replace")


def machine():
    """The package made and installed by msiexec; the header, ANSI Greek, where the play names it."""
    shutil.rmtree(prefix, ignore_errors=True)
    lib, fixture = source / "scripts/lib.sh", source / "tests/support/branch-fixture.sh"
    run("bash", "-c", f'source "{lib}" && make_dist && prepare_prefix "$1" && "{fixture}" "$1" && start_wineserver',
        "-", str(prefix), check=True)
    run("wine", "msiexec", "/i", "Z:" + str(next(dist.glob("*.msi"))).replace("/", "\\"), "/qn", check=True)
    (prefix / "drive_c/vorlasched").mkdir()
    (prefix / "drive_c/vorlasched/header.txt").write_bytes(HEADER.encode("cp1253"))


def playbook(play, *options):
    """(ok, changed, failed) of the recap, and the whole output."""
    (work / "play.yml").write_text(play, encoding="utf-8")
    output = run("ansible-playbook", "-i", str(work / "inventory.yml"), *options, str(work / "play.yml"),
                 env=controller)
    recap = RECAP.search(output)
    if not recap:
        raise AssertionError("ansible-playbook gave no recap:\n" + output)
    return tuple(int(n) for n in recap.groups()), output


def map_keys():
    return set(re.findall(r"^HKEY_LOCAL_MACHINE\\SOFTWARE\\Kelvane\\Vorla\\maps\\(\w+)\s*$",
                          run("wine", "reg", "query", "HKLM\\SOFTWARE\\Kelvane\\Vorla\\maps", "/reg:32"), re.M | re.I))


def rows(play):
    """Each row's failure, with the play's output."""
    (_, changed, failed), output = playbook(play, "--check", "--diff")
    yield (changed, failed) == (1, 0) and not map_keys(), "--check --diff: changed, nothing written", output
    yield "+" + HEADER.splitlines()[0] in output, "--check --diff: the header's Greek as the branch reads it", output
    (_, changed, failed), output = playbook(play)
    configured = map_keys()
    yield (changed, failed) == (1, 0) and configured, "the run: changed, the maps written", output
    (ok, changed, failed), output = playbook(play)
    yield ok > 0 and (changed, failed) == (0, 0), "the rerun: ok", output
    fewer = play.replace('vorlasched_back: "9,10,12"', 'vorlasched_back: "9,10"')
    (_, changed, failed), output = playbook(fewer, "--diff")
    removed = configured - map_keys()
    yield fewer != play and (changed, failed, len(removed)) == (1, 0, 1), "a BACK series removed", output
    # The diff names the map key that went.
    yield all(re.search(rf"^-key HKEY_LOCAL_MACHINE\\SOFTWARE\\Kelvane\\Vorla\\maps\\{key}$", output, re.M | re.I)
              for key in removed), f"a BACK series removed: the diff names the map key {removed}", output


def main():
    guide = (source / "docs/fleet.md").read_text(encoding="utf-8")
    blocks = re.findall(r"^```yaml\n(.*?)^```", guide, re.M | re.S)
    play = next(b for b in blocks if b.startswith("- hosts: branches"))
    inventory = yaml.safe_load(next(b for b in blocks if b.startswith("branches:")))
    # The guide's Wine inventory, with this machine for its hosts and this prefix for its own.
    inventory["branches"]["hosts"] = {"localhost": {"ansible_connection": "local",
                                                    "ansible_python_interpreter": "/usr/bin/python3"}}
    inventory["branches"]["vars"]["vorlasched_environment"]["WINEPREFIX"] = str(prefix)
    shutil.rmtree(work, ignore_errors=True)
    work.mkdir(parents=True)
    (work / "inventory.yml").write_text(json.dumps(inventory), encoding="utf-8")
    machine()
    try:
        failures = [f"{what}\n{output}" for passed, what, output in rows(play) if not passed]
    except AssertionError as e:
        failures = [str(e)]
    finally:
        run("wineserver", "-k")
    print("\n".join(failures) or "the guide's play: check and diff, run, rerun ok, a BACK series removed")
    if failures:
        sys.exit(1)
    shutil.rmtree(prefix, ignore_errors=True)
    shutil.rmtree(dist, ignore_errors=True)


main()
