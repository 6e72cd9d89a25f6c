#!/usr/bin/python3
"""The README's tables of codes and the schema's enum of codes say exactly what the program's
catalogue says: the same codes, each with the same kind and meaning.

usage: codes_check.py --source DIR -- COMMAND...   (COMMAND prints the catalogue: code TAB kind TAB meaning)
"""
import argparse
import json
import os
import re
import subprocess
import sys

ROW = re.compile(r"^\| `([a-z0-9-]+)` \|(?: (success|warning|failure) \|)? (.+) \|$")


def readme_rows(text):
    """(code, kind, meaning) of the rows of the message-code and problem-code tables."""
    rows, table = [], None
    for line in text.splitlines():
        if line.startswith("| message code |"):
            table = "message"
        elif line.startswith("| problem code |"):
            table = "problem"
        elif table and not line.startswith("|"):
            table = None
        elif table and not line.startswith("|---"):
            match = ROW.match(line)
            if not match or bool(match.group(2)) != (table == "message"):
                raise AssertionError(f"a row of the {table} codes the check cannot read: {line}")
            rows.append((match.group(1), match.group(2) or "problem", match.group(3)))
    return rows


def main():
    parser = argparse.ArgumentParser()
    parser.add_argument("--source", required=True)
    args, command = parser.parse_known_args()
    command = [word for word in command if word != "--"]
    out = subprocess.run(command, check=True, capture_output=True, stdin=subprocess.DEVNULL).stdout.decode("utf-8")
    catalogue = [tuple(line.split("\t")) for line in out.splitlines() if line]
    with open(os.path.join(args.source, "README.md"), encoding="utf-8") as f:
        readme = readme_rows(f.read())
    with open(os.path.join(args.source, "docs", "fleet", "vorlasched-result.schema.json"), encoding="utf-8") as f:
        schema = json.load(f)
    failures = []
    if not catalogue:
        failures.append("the catalogue printed nothing")
    for name, rows in (("README", readme),):
        for row in sorted(set(catalogue) - set(rows)):
            failures.append(f"{name} lacks {row}")
        for row in sorted(set(rows) - set(catalogue)):
            failures.append(f"{name} has {row}, which the catalogue does not")
        if len(rows) != len(set(rows)):
            failures.append(f"{name} lists a row twice")
    enum = schema["$defs"]["code"].get("enum", [])
    codes = {row[0] for row in catalogue}
    if sorted(enum) != sorted(codes):
        failures.append(f"the schema's enum differs: missing {sorted(codes - set(enum))}, "
                        f"extra {sorted(set(enum) - codes)}")
    for failure in failures:
        print(failure, file=sys.stderr)
    return 1 if failures else 0


if __name__ == "__main__":
    sys.exit(main())
