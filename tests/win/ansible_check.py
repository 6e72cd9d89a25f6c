#!/usr/bin/python3
"""Runs the Ansible role of docs/fleet/ansible with Debian's ansible-core against localhost: the
role's ansible.builtin.command runs the real vorlasched.com under Wine on json_check.py's branch
machine. One row per invocation, so that each shows on its own.

usage: ansible_check.py --source DIR --build DIR --prefix WINEPREFIX --row NAME
"""
import argparse
import json
import os
import re
import subprocess
import sys

import json_check as fixture

BRANCH = {"vorlasched_branch": "12", "vorlasched_pos": "1,2", "vorlasched_back": "9",
          "vorlasched_posprinter": "POS Receipt Printer", "vorlasched_backprinter": "Back Office Laser",
          "vorlasched_header": "C:\\vorlajson\\header.txt", "vorlasched_program": fixture.PROGRAM}
PLAY = "- hosts: localhost\n  connection: local\n  gather_facts: false\n  roles: [vorlasched]\n"
RECAP = re.compile(r"^localhost\s+: ok=(\d+)\s+changed=(\d+)\s+unreachable=\d+\s+failed=(\d+)", re.M)


def prepare():
    """json_check.py's branch machine; then the prefix's server and the processes that its first
    program starts (services, explorer), with their output nowhere: none of them may hold a pipe
    that this script or Ansible reads."""
    fixture.ARGS = ARGS
    fixture.prepare()
    quiet = dict(env=dict(os.environ, WINEPREFIX=ARGS.prefix, WINEDEBUG="-all"), check=True,
                 stdin=subprocess.DEVNULL, stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL)
    # The fixture's own programs may leave the prefix's server lingering; a server can be made
    # persistent only when it starts, so that one is ended first.
    subprocess.run(["wineserver", "-k"], **dict(quiet, check=False))
    subprocess.run(["wineserver", "-w"], timeout=60, **dict(quiet, check=False))
    subprocess.run(["wineserver", "-p"], **quiet)
    subprocess.run(["wine", "cmd", "/c", "exit"], timeout=120, **quiet)


def forget_configuration():
    fixture.wine("reg", "delete", "HKLM\\SOFTWARE\\Kelvane\\Vorla", "/f", "/reg:32")


def configured():
    return fixture.wine("reg", "query", "HKLM\\SOFTWARE\\Kelvane\\Vorla\\maps", "/reg:32").returncode == 0


def playbook(*options, **overrides):
    """(ok, changed, failed) of the recap, and the whole output."""
    work = os.path.join(ARGS.build, "ansible_check")
    os.makedirs(work, exist_ok=True)
    with open(os.path.join(work, "play.yml"), "w", encoding="utf-8") as f:
        f.write(PLAY)
    variables = dict(BRANCH, vorlasched_command_prefix=["wine"],
                     vorlasched_environment={"WINEPREFIX": ARGS.prefix, "WINEDEBUG": "-all"}, **overrides)
    with open(os.path.join(work, "vars.json"), "w", encoding="utf-8") as f:
        json.dump(variables, f, ensure_ascii=False)
    env = dict(os.environ, LC_ALL="C.UTF-8", ANSIBLE_ROLES_PATH=os.path.join(ARGS.source, "docs", "fleet", "ansible"),
               ANSIBLE_NOCOLOR="1", ANSIBLE_PYTHON_INTERPRETER="/usr/bin/python3", ANSIBLE_LOCAL_TEMP=work,
               ANSIBLE_HOME=work, ANSIBLE_RETRY_FILES_ENABLED="0")
    done = subprocess.run(["ansible-playbook", "-i", "localhost,", "-e", "@" + os.path.join(work, "vars.json"),
                           *options, os.path.join(work, "play.yml")],
                          env=env, stdin=subprocess.DEVNULL, capture_output=True, timeout=300)
    output = done.stdout.decode("utf-8", "replace") + done.stderr.decode("utf-8", "replace")
    recap = RECAP.search(output)
    if not recap:
        raise AssertionError("no recap:\n" + output)
    return tuple(int(n) for n in recap.groups()), output


def expect(condition, what, output):
    if not condition:
        raise AssertionError(what + "\n" + output)


def row_check():
    """--check reports the change the run would make, and writes nothing."""
    forget_configuration()
    (_, changed, failed), output = playbook("--check")
    expect(not configured(), "--check wrote the configuration", output)
    expect((changed, failed) == (1, 0), "--check should report changed and not fail", output)


def row_check_diff():
    """--check --diff shows a value's before and after (the POS maps' printer moves) and what a
    removed map held."""
    forget_configuration()
    playbook()
    (_, changed, failed), output = playbook("--check", "--diff", vorlasched_posprinter="Back Office Laser")
    expect((changed, failed) == (1, 0), "--check --diff should report changed", output)
    before = re.search(r"^-.*POS Receipt Printer", output, re.M)
    after = re.search(r"^\+.*Back Office Laser", output, re.M)
    expect(before and after, "no before and after of the printer", output)
    # A series no longer asked for: maps\3 goes, and shows what it held.
    (_, changed, failed), output = playbook("--check", "--diff", vorlasched_pos="1")
    expect((changed, failed) == (1, 0), "--check --diff should report changed", output)
    expect(re.search(r"^-Alias = REG_SZ: AB_BACK9$", output, re.M), "no before of the removed map", output)


def row_run():
    """A run on an unconfigured machine changes it."""
    forget_configuration()
    (_, changed, failed), output = playbook()
    expect((changed, failed) == (1, 0), "the run should report changed", output)
    expect(configured(), "the run wrote no configuration", output)


def row_rerun():
    """Run again with the same variables, nothing changes: the role reports ok."""
    playbook()
    (ok, changed, failed), output = playbook()
    expect((ok > 0, changed, failed) == (True, 0, 0), "the re-run should report ok", output)


def row_refused():
    """A refused run fails with the document's first failure message."""
    (_, _, failed), output = playbook(vorlasched_branch="0")
    expect(failed == 1, "a branch 0 should fail", output)
    expect(re.search(r'"msg": "branch-refused: Δεν μπορείτε', output), "no msg from the document", output)


ROWS = {"check": row_check, "check-diff": row_check_diff, "run": row_run, "rerun": row_rerun, "refused": row_refused}

if __name__ == "__main__":
    parser = argparse.ArgumentParser()
    for name in ("--source", "--build", "--prefix"):
        parser.add_argument(name, required=True)
    parser.add_argument("--row", required=True, choices=sorted(ROWS))
    ARGS = parser.parse_args()
    prepare()
    try:
        ROWS[ARGS.row]()
    except AssertionError as e:
        print(e, file=sys.stderr)
        sys.exit(1)
    finally:
        subprocess.run(["wineserver", "-k"], env=dict(os.environ, WINEPREFIX=ARGS.prefix), check=False)
