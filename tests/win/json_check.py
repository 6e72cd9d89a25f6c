#!/usr/bin/python3
"""Runs every command of vorlasched.com with /json on a branch machine under Wine and checks each
document against the schema with Debian's jsonschema, then what it says.

usage: json_check.py --source DIR --build DIR --prefix WINEPREFIX --version A.B.C.D
"""
import argparse
import datetime
import json
import os
import re
import shutil
import socket
import subprocess
import sys
import unittest

import jsonschema

ARGS = None
SEEN_CODES = set()
PROGRAM = "C:\\vorlajson\\vorlasched.com"
SPOOL = "C:\\vorlajson\\spool Αθήνα"
HEADER = "ΚΑΤΑΣΤΗΜΑ 12: Ερμού 1\r\nΑθήνα\r\nΕΔΡΑ: Πειραιώς 150\r\nΤηλ. 210 0000000\r\nΑΦΜ 0"
PRINTERS = ["/posprinter:POS Receipt Printer", "/backprinter:Back Office Laser"]
REQUEST = ["/branch:12", "/pos:1,2", "/back:9"] + PRINTERS + ["/header:C:\\vorlajson\\header.txt"]


def drive_c():
    return os.path.join(ARGS.prefix, "drive_c")


def prepare():
    """The branch machine, the program with its templates and the stand-in client, a header."""
    lib = os.path.join(ARGS.source, "scripts", "lib.sh")
    fixture = os.path.join(ARGS.source, "tests", "support", "branch-fixture.sh")
    subprocess.run(["bash", "-c", f'source "{lib}" && prepare_prefix "$1" && "{fixture}" "$1"', "-", ARGS.prefix],
                   check=True, stdin=subprocess.DEVNULL, stdout=subprocess.DEVNULL)
    folder = os.path.join(drive_c(), "vorlajson")
    shutil.rmtree(folder, ignore_errors=True)
    shutil.copytree(os.path.join(ARGS.source, "assets", "dist"), folder)
    shutil.copy(os.path.join(ARGS.build, "vorlasched.com"), folder)
    shutil.copy(os.path.join(ARGS.build, "tests", "vorlatcpw.exe"), folder)
    with open(os.path.join(folder, "header.txt"), "w", encoding="utf-8", newline="") as f:
        f.write(HEADER)
    spool = os.path.join(folder, "spool Αθήνα")
    os.makedirs(spool)
    for name, todo in (("παραγγελία1_x.prn", 'FWDVORLA"AB:1:AB_POS1'),
                       ("job0002_x.prn", 'FWDVORLA"AB:1:CENTRAL\tafter-tab')):
        with open(os.path.join(spool, name), "wb") as f:
            f.write(b"%!PS\r\n")
        with open(os.path.join(spool, name[:-6] + "_i.pri"), "wb") as f:
            f.write(("[Job]\r\nToDoStr=" + todo + "\r\n").encode("cp1253"))


def wine(*args, env=None):
    full = dict(os.environ, WINEPREFIX=ARGS.prefix, WINEDEBUG="-all", WINEARCH="win32", **(env or {}))
    return subprocess.run(["wine"] + list(args), env=full, stdin=subprocess.DEVNULL, capture_output=True,
                          timeout=120)


# Lines that Wine's own loader writes to standard error whatever WINEDEBUG says, now and then:
# "preloader: Warning: failed to reserve range ..." comes with the address-space layout of the
# moment. They are no part of what the program said.
WINE_OWN_LINE = re.compile(r"^(preloader|wine|wineserver): ")


def program_err(stderr):
    lines = stderr.decode("utf-8", "replace").splitlines(keepends=True)
    return "".join(line for line in lines if not WINE_OWN_LINE.match(line))


def run(*args, env=None):
    """The document and the exit code of one command; the document must validate."""
    done = wine(PROGRAM, *args, env=env)
    text = done.stdout.decode("utf-8")  # strict: the document is UTF-8
    if text.startswith("\ufeff"):
        raise AssertionError("a BOM before the document")
    document = json.loads(text)  # exactly one document: anything after it fails here
    jsonschema.validate(document, SCHEMA)
    SEEN_CODES.update(item["code"] for item in document["messages"] + document["problems"])
    if document["exitCode"] != done.returncode:
        raise AssertionError(f"exitCode {document['exitCode']} but the process ended with {done.returncode}")
    return document, program_err(done.stderr)


def codes(items):
    return [item["code"] for item in items]


class Documents(unittest.TestCase):
    @classmethod
    def tearDownClass(cls):
        """Every code a document gave is one that the fleet guide lists with its meaning."""
        with open(os.path.join(ARGS.source, "docs", "fleet.md"), encoding="utf-8") as f:
            guide = f.read()
        unlisted = sorted(code for code in SEEN_CODES if f"`{code}`" not in guide)
        if unlisted:
            raise AssertionError(f"codes missing from docs/fleet.md: {unlisted}")
    def test_version_is_the_projects(self):
        before = datetime.datetime.now(datetime.timezone.utc)
        document, _ = run("/version", "/json")
        self.assertEqual(document["version"], ARGS.version)
        # The format's version is the one the schema's $id names; the run facts are this run's.
        self.assertIn(f"-{document['formatVersion']}.schema.json", SCHEMA["$id"])
        started = datetime.datetime.fromisoformat(document["startedAt"].replace("Z", "+00:00"))
        self.assertLess(abs((started - before).total_seconds()), 60)
        self.assertEqual(document["host"].lower(), socket.gethostname().split(".")[0].lower())
        again, _ = run("/version", "/json")
        self.assertNotEqual(again["runId"], document["runId"])
        self.assertEqual(wine(PROGRAM, "/version").stdout.decode(), ARGS.version + "\r\n")
        usage, _ = run("/?", "/json")
        self.assertEqual(usage["usage"][0], "Usage:")

    def test_refused_command_lines_answer_too(self):
        # Each kind of refusal has its code, so that a fleet tool can tell what to mend.
        # The document names the command whenever the command line names one.
        for args, code, command in ((["/configure", "/json", "/bogus"], "command-line-refused", "configure"),
                                    (["/configure", "/branch:12", "/json"], "command-line-refused", "configure"),
                                    (["/JSON"], "command-line-refused", ""),
                                    (["/analyze", "-Json", "C:\\no such folder"], "path-missing", "analyze"),
                                    (["/check", "/header:C:\\vorlajson\\none.txt", "/json"], "header-refused", "check"),
                                    (["/analyze", SPOOL, "/report:C:\\no such folder\\r.csv", "/json"], "output-refused",
                                     "analyze")):
            document, err = run(*args)
            self.assertEqual((document["exitCode"], document["command"]), (2, command), args)
            self.assertEqual(codes(document["messages"]), [code], args)
            self.assertTrue(err.startswith("vorlasched: "), (args, err))

    def test_configure_preview_upgrade_and_check(self):
        wine("reg", "delete", "HKLM\\SOFTWARE\\Kelvane\\Vorla", "/f", "/reg:32")
        preview, _ = run("/configure", *REQUEST, "/whatif", "/json")
        self.assertEqual((preview["exitCode"], preview["changed"], preview["whatif"]), (0, True, True))
        self.assertEqual(codes(preview["messages"]), ["preview-done"])
        self.assertIn("[HKEY_LOCAL_MACHINE\\SOFTWARE\\Kelvane\\Vorla\\maps\\3\\Copy]", preview["preview"])
        maps3 = "HKEY_LOCAL_MACHINE\\SOFTWARE\\Kelvane\\Vorla\\maps\\3"
        created = [c for c in preview["changes"] if c["path"] == maps3 and c["target"] == "key"]
        self.assertEqual([(c["action"], c["before"]) for c in created], [("created", None)])
        self.assertEqual(created[0]["after"]["values"]["Alias"], {"type": "REG_SZ", "data": "AB_BACK9"})
        self.assertEqual(sorted(created[0]["after"]["subkeys"]), ["Copy", "Master"])
        self.assertIn({"target": "value", "action": "written", "path": maps3, "name": "Alias", "before": None,
                       "after": {"type": "REG_SZ", "data": "AB_BACK9"}}, preview["changes"])

        document, err = run("/configure", *REQUEST, "/json")
        self.assertEqual((document["exitCode"], document["changed"], err), (0, True, ""))
        self.assertEqual(document["messages"],
                         [{"kind": "success", "code": "configuration-done", "text": "Η εντολή ολοκληρώθηκε"}])
        self.assertTrue(document["backup"].endswith(".reg"))
        self.assertEqual(document["changes"], preview["changes"])  # the run made what its preview said
        moved, _ = run("/configure", *[a.replace("/back:9", "/back:10") for a in REQUEST], "/whatif", "/json")
        self.assertIn({"target": "value", "action": "written", "path": maps3, "name": "Alias",
                       "before": {"type": "REG_SZ", "data": "AB_BACK9"}, "after": {"type": "REG_SZ", "data": "AB_BACK10"}},
                      moved["changes"])
        drawn = [c for c in moved["changes"] if c["action"] == "drawn"]  # the new folder's image
        self.assertEqual([(c["before"], len(c["after"]["sha256"]), len(c["after"]["lines"])) for c in drawn],
                         [(None, 64, 5)])

        upgrade, _ = run("/upgrade", "/json")  # a configuration is written upgraded: nothing to change
        self.assertEqual((upgrade["exitCode"], upgrade["changed"], upgrade["changes"], codes(upgrade["messages"])),
                         (0, False, [], ["upgrade-done", "unchanged"]))
        clean, _ = run("/check", *REQUEST, "/json")
        self.assertEqual((clean["exitCode"], clean["problems"]), (0, []))
        shown, _ = run("/show", "/json")  # the request back, by the switches' names
        self.assertEqual((shown["exitCode"], shown["request"]["branch"], shown["request"]["pos"],
                          shown["request"]["back"], shown["request"]["posprinter"]), (0, "12", "1,2", "9", "POS Receipt Printer"))

        # The problems that /check finds beside the engine's own: asserted by their codes.
        with open(os.path.join(drive_c(), "vorlajson", "four.txt"), "w", encoding="utf-8") as f:
            f.write("1\n2\n3\n4\n")
        wine("reg", "delete", "HKLM\\SOFTWARE\\Kelvane\\Vorla\\maps\\1\\Copy", "/v", "Printer", "/f", "/reg:32")
        checked, _ = run("/check", "/branch:12", "/pos:1,2", "/back:9", "/posprinter:Nobody's",
                         "/backprinter:Back Office Laser", "/header:C:\\vorlajson\\four.txt", "/json")
        self.assertEqual(checked["exitCode"], 1)
        self.assertEqual(codes(checked["problems"]),
                         ["pos-printer-not-chosen", "header-lines-wrong", "value-missing"] + ["maps-differ"] * 3)
        nobody = {"type": "REG_SZ", "data": "Nobody's"}
        self.assertEqual([(p["value"], p["expected"], p["found"]) for p in checked["problems"][3:5]],
                         [("Printer", nobody, {"type": "REG_SZ", "data": "POS Receipt Printer"}),
                          ("Printer", {"type": "REG_SZ", "data": "CutePDF Writer"}, None)])  # not only the first
        self.assertEqual((checked["problems"][2]["value"], checked["problems"][2]["remedy"]), ("Printer", "/configure"))
        missing, _ = run("/upgrade", "/json")  # it would leave Printer missing: it refuses before writing
        self.assertEqual((missing["exitCode"], missing["changed"], codes(missing["problems"])),
                         (1, False, ["value-missing"]))
        self.assertEqual(codes(missing["messages"])[-1], "refused-before-writing")

    def test_analyze_and_submit_give_each_row_its_state(self):
        rows, _ = run("/analyze", SPOOL, "/json")
        self.assertEqual(rows["exitCode"], 0)
        self.assertEqual([row["state"] for row in rows["rows"]], ["not submitted", "not submitted"])
        self.assertEqual(sorted(row["directions"] for row in rows["rows"]), ["AB_POS1_COPY", "CENTRAL_COPY"])
        self.assertIn("Αθήνα\\παραγγελία1_x.prn", rows["rows"][0]["file"] + rows["rows"][1]["file"])

        answer = "δεκτό\x01\x1f \"ok\""
        submitted, _ = run("/submit", SPOOL, "/json", env={"VORLATCPW_MODE": "answer", "VORLATCPW_ANSWER": answer})
        self.assertEqual([(row["state"], row["result"]) for row in submitted["rows"]],
                         [("submitted", answer), ("submitted", answer)])
        self.assertTrue(submitted["changed"])

        journal = ["/journal:C:\\vorlajson\\spool.journal"]
        stopped, err = run("/submit", SPOOL, "/timeout:1", "/json", *journal, env={"VORLATCPW_MODE": "hang"})
        self.assertEqual(stopped["exitCode"], 1)
        self.assertEqual([(row["state"], row.get("why")) for row in stopped["rows"]],
                         [("stopped here", "client-timed-out"), ("not submitted", None)])
        self.assertEqual(codes(stopped["messages"]), ["client-timed-out"])
        self.assertIn("did not end within 1 seconds", err)

        # The retry: the job the journal shows started and never ended is not sent again (exit 6).
        retried, err = run("/submit", SPOOL, "/json", *journal, env={"VORLATCPW_MODE": "answer", "VORLATCPW_ANSWER": "ok"})
        self.assertEqual((retried["exitCode"], [row["state"] for row in retried["rows"]]), (6, ["uncertain", "submitted"]))
        self.assertEqual(codes(retried["messages"]), ["job-uncertain"])
        self.assertIn("uncertain: it may have been submitted: ", err)

        # Settled as submitted, the job is submitted earlier on the next retry, which exits 0.
        settled, _ = run("/settle", retried["rows"][0]["file"], *journal, "/as:submitted", "/json")
        self.assertEqual((settled["exitCode"], settled["changed"], codes(settled["messages"])), (0, True, ["job-settled"]))
        again, _ = run("/submit", SPOOL, "/json", *journal)
        self.assertEqual((again["exitCode"], again["changed"], [row["state"] for row in again["rows"]]),
                         (0, False, ["submitted earlier", "submitted earlier"]))


if __name__ == "__main__":
    parser = argparse.ArgumentParser()
    for name in ("--source", "--build", "--prefix", "--version"):
        parser.add_argument(name, required=True)
    ARGS, rest = parser.parse_known_args()
    with open(os.path.join(ARGS.source, "docs", "fleet", "vorlasched-result.schema.json"), encoding="utf-8") as f:
        SCHEMA = json.load(f)
    jsonschema.Draft202012Validator.check_schema(SCHEMA)
    prepare()
    try:
        result = unittest.main(argv=[sys.argv[0]] + rest, exit=False).result
    finally:
        subprocess.run(["wineserver", "-k"], env=dict(os.environ, WINEPREFIX=ARGS.prefix), check=False)
    sys.exit(0 if result.wasSuccessful() else 1)
