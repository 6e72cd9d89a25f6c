#!/usr/bin/python3
"""The fleet guide's tables of codes and the schema's enum say exactly what the program's catalogue
says: the same codes, each with the same kind and meaning.

usage: codes_check.py --source DIR -- COMMAND...   (COMMAND prints the catalogue: code TAB kind TAB meaning)
"""
import json
import os
import re
import subprocess
import sys

ROW = re.compile(r"^\| `([a-z0-9-]+)` \|(?: (success|warning|failure) \|)? (.+) \|$")


def guide_rows(text):
    """(code, kind, meaning) of each row of the message-code and problem-code tables."""
    rows, table = [], None
    for line in text.splitlines():
        if line.startswith(("| message code |", "| problem code |")):
            table = line.split()[1]
        elif not line.startswith("|"):
            table = None
        elif table and not line.startswith("|---"):
            match = ROW.match(line)
            if not match or bool(match.group(2)) != (table == "message"):
                raise AssertionError(f"a row of the {table} codes the check cannot read: {line}")
            rows.append((match.group(1), match.group(2) or "problem", match.group(3)))
    return rows


def main(source, command):
    out = subprocess.run(command, check=True, capture_output=True, stdin=subprocess.DEVNULL).stdout.decode("utf-8")
    catalogue = [tuple(line.split("\t")) for line in out.splitlines() if line]
    with open(os.path.join(source, "docs", "fleet.md"), encoding="utf-8") as f:
        guide = guide_rows(f.read())
    with open(os.path.join(source, "docs", "fleet", "vorlasched-result.schema.json"), encoding="utf-8") as f:
        enum = set(json.load(f)["$defs"]["code"].get("enum", []))
    failures = [f"docs/fleet.md lacks {row}" for row in sorted(set(catalogue) - set(guide))]
    failures += [f"docs/fleet.md has {row}, the catalogue not" for row in sorted(set(guide) - set(catalogue))]
    failures += ["docs/fleet.md lists a row twice"] if len(guide) != len(set(guide)) else []
    codes = {row[0] for row in catalogue}
    failures += [f"the schema's enum lacks {sorted(codes - enum)}, has {sorted(enum - codes)}"] if enum != codes else []
    failures += ["the catalogue printed nothing"] if not catalogue else []
    print("\n".join(failures), file=sys.stderr)
    return 1 if failures else 0


if __name__ == "__main__":
    if len(sys.argv) < 5 or sys.argv[1] != "--source" or sys.argv[3] != "--":
        sys.exit(__doc__)
    sys.exit(main(sys.argv[2], sys.argv[4:]))
