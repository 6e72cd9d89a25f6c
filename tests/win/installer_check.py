#!/usr/bin/python3
"""Checks the Windows Installer package that make_dist makes, installed by Wine's msiexec on a
prefix of its own: usage installer_check.py SOURCE BUILD.

One run through the package's life: install, repair, a major upgrade to a newer package built
from the same files, the older one refused, uninstall, and the optional PATH entry. After each
step the machine is read back (program folder, shortcut, Explorer verbs, "Apps and features"
entries, PATH, and what the program itself writes) and compared with what the step must leave.
What Wine's installer engine does not show is read from the package's tables instead."""
import os
import shutil
import subprocess
import sys
from pathlib import Path

source, build = Path(sys.argv[1]), Path(sys.argv[2])
scratch = build / "installer-check"
dist = scratch / "dist"
prefix = build / "installer-prefix"
env = dict(os.environ, WINEPREFIX=str(prefix), WINEDEBUG="-all", WINEARCH="win32",
           WINEDLLOVERRIDES="mscoree,mshtml,winemenubuilder.exe=", VORLA_DIST=str(dist),
           VORLA_WIN_BUILD=str(build))
program = prefix / "drive_c/Program Files/Kelvane/vorlasched"
program_win = "C:\\Program Files\\Kelvane\\vorlasched"
shortcut_folders = [prefix / "drive_c/ProgramData/Microsoft/Windows/Start Menu/Programs",
                    prefix / "drive_c/users" / os.environ.get("USER", "root") / "AppData/Roaming/Microsoft/Windows/Start Menu/Programs"]
verbs = ["HKCR\\Directory\\shell\\VorlaTcpScheduler\\command",
         "HKCR\\SystemFileAssociations\\.prn\\shell\\VorlaTcpScheduler\\command"]
backup = prefix / "drive_c/ProgramData/Kelvane/vorlasched/backups/Vorla-20261207-101500.reg"
vorla_key = "HKLM\\SOFTWARE\\Kelvane\\Vorla"
environment = "HKLM\\System\\CurrentControlSet\\Control\\Session Manager\\Environment"
failures = []


def bash(script, *args):
    return subprocess.run(["bash", "-c", f'source "{source}/scripts/lib.sh" && {script}', "bash", *args],
                          env=env, check=True, stdout=subprocess.PIPE, text=True).stdout.strip()


def wine(*args):
    return subprocess.run(["wine", *args], env=env, stdin=subprocess.DEVNULL, capture_output=True)


def msiexec(*args):
    """msiexec's exit code, whole (a Linux exit status keeps only its low byte)."""
    out = wine("cmd", "/c", " ".join(["msiexec", *args, "/qn", "&", "echo", "rc=%ERRORLEVEL%"])).stdout
    return int(out.decode(errors="replace").rsplit("rc=", 1)[1].split()[0])


def package(version):
    """The Windows path of a package in dist."""
    return f"Z:{dist}\\vorlasched-{version}.msi".replace("/", "\\")


def reg_keys(key):
    """{subkey path: {value name: data}} of KEY and everything under it; {} when it is absent."""
    keys, current = {}, None
    for line in wine("reg", "query", key, "/s").stdout.decode(errors="replace").splitlines():
        if line.startswith("HKEY_"):
            current = keys.setdefault(line.strip(), {})
        elif current is not None and line.startswith("    "):
            name, _, data = line.strip().partition("    ")
            current[name] = data.partition("    ")[2].strip()
    return keys


def snapshot():
    """What an install leaves on the machine, and what the program wrote before."""
    files = {p.relative_to(program).as_posix(): p.read_bytes() for p in program.rglob("*") if p.is_file()}
    links = [p for folder in shortcut_folders for p in folder.glob("VorlaTcp Scheduler.lnk")]
    target = (program_win + "\\vorlasched.exe").encode()
    entries = sorted((v.get("DisplayName"), v.get("DisplayVersion"), v.get("Publisher"))
                     for v in reg_keys("HKLM\\Software\\Microsoft\\Windows\\CurrentVersion\\Uninstall").values()
                     if v.get("Publisher") == "Kelvane")
    path = next(iter(reg_keys(environment).values()), {}).get("PATH", "")
    return {
        "files": files,
        "shortcut": [any(target in p.read_bytes() or target.decode().encode("utf-16-le") in p.read_bytes()
                         for p in links)] if links else [],
        "verbs": [next(iter(reg_keys(k).values()), {}).get("(Default)") for k in verbs],
        "entries": entries,
        "on_path": any(e.rstrip("\\").lower() == program_win.lower() for e in path.split(";")),
        "kept": [bool(reg_keys(vorla_key)), backup.is_file()],
    }


shutil.rmtree(scratch, ignore_errors=True)
scratch.mkdir(parents=True)
bash("make_dist")
old = bash("vorla_version")
a, b, c, d = old.split(".")
new = f"{a}.{b}.{int(c) + 1}.{d}"
bash('"$VORLA_ROOT/scripts/msi.sh" "$1" "$2"', str(dist), new)
old_msi, new_msi = package(old), package(new)
if not (dist / f"vorlasched-{old}.msi").is_file():
    sys.exit(f"no package vorlasched-{old}.msi; the dist folder holds {sorted(os.listdir(dist))}")
shipped = {p.relative_to(dist).as_posix(): p.read_bytes() for p in dist.rglob("*")
           if p.is_file() and p.suffix not in (".zip", ".msi")}

bash('prepare_prefix "$1" >/dev/null 2>&1 && start_wineserver', str(prefix))
try:
    # A run stopped half-way leaves its products behind, with the stand-ins for what the program
    # writes and maybe a PATH entry of a broken package: all off first.
    for v in (old, new):
        msiexec("/x", package(v))
    wine("reg", "delete", vorla_key, "/f")
    backup.unlink(missing_ok=True)
    path = next(iter(reg_keys(environment).values()), {}).get("PATH", "").split(";")
    kept = ";".join(e for e in path if e and e.rstrip("\\").lower() != program_win.lower())
    wine("reg", "add", environment, "/v", "PATH", "/t", "REG_EXPAND_SZ", "/d", kept, "/f")

    commands = [f'"{program_win}\\vorlasched.exe" "%1"'] * 2
    installed = {"files": shipped, "shortcut": [True], "verbs": commands, "on_path": False,
                 "entries": [("VorlaTcp Scheduler", old, "Kelvane")]}
    gone = {"files": {}, "shortcut": [], "verbs": [None, None], "entries": [], "on_path": False, "kept": [True, True]}
    # (what is done, msiexec's arguments, its exit code, what the machine must show after)
    steps = [
        ("install", ["/i", old_msi, f"/l*v Z:{scratch}\\install.log".replace("/", "\\")], 0, installed),
        ("repair", ["/i", old_msi, "REINSTALL=ALL", "REINSTALLMODE=amus"], 0, dict(installed, kept=[True, True])),
        ("upgrade", ["/i", new_msi], 0, dict(installed, entries=[("VorlaTcp Scheduler", new, "Kelvane")])),
        ("older refused", ["/i", old_msi], 1603, dict(installed, entries=[("VorlaTcp Scheduler", new, "Kelvane")])),
        ("verbs off", ["/i", new_msi, "REMOVE=ExplorerVerbs"], 0,
         dict(installed, entries=[("VorlaTcp Scheduler", new, "Kelvane")], verbs=[None, None])),
        ("uninstall", ["/x", new_msi], 0, gone),
        ("PATH, no verbs", ["/i", old_msi, "ADDTOPATH=1", "ADDLOCAL=Program"], 0,
         dict(installed, verbs=[None, None], on_path=True)),
        ("PATH off again", ["/x", old_msi], 0, gone),
    ]
    for name, args, code, expected in steps:
        if name == "repair":
            # What the program writes, before anything may touch it; and damage for the repair to mend.
            wine("reg", "add", vorla_key, "/v", "ps2pdf_cmd", "/d", "x", "/reg:32", "/f")
            backup.parent.mkdir(parents=True, exist_ok=True)
            backup.write_bytes(b"REGEDIT5")
            (program / "ab1.bmp").unlink()
            wine("reg", "delete", verbs[1].rsplit("\\", 1)[0], "/f")
        rc = msiexec(*args)
        if rc != code:
            failures.append(f"{name}: msiexec exited with {rc}, expected {code}")
        state = snapshot()
        for field, want in expected.items():
            if state[field] != want:
                shown = sorted(state[field]) if field == "files" else state[field]
                failures.append(f"{name}: {field} is {shown}, expected {sorted(want) if field == 'files' else want}")
        if name == "install":
            console = wine(f"{program_win}\\vorlasched.com", "/?")
            if console.returncode != 0:
                failures.append(f"install: the installed vorlasched.com /? exited with {console.returncode}")
finally:
    subprocess.run(["wineserver", "-k"], env=env, stdin=subprocess.DEVNULL, capture_output=True)

# Wine's engine puts a per-machine package's shortcut in the installing user's Start menu and
# logs no launch-condition text: the tables say where Windows puts it and what it shows.
def table(name):
    return subprocess.run(["msiinfo", "export", f"{dist}/vorlasched-{old}.msi", name],
                          capture_output=True, text=True, check=True).stdout.splitlines()[3:]


if not any(row.split("\t")[:2] == ["ProgramShortcut", "ProgramMenuFolder"] for row in table("Shortcut")):
    failures.append("the shortcut is not in the Start menu's Programs folder")
if "ALLUSERS\t1" not in table("Property"):
    failures.append("the package is not per-machine (ALLUSERS=1)")
if not any("A newer version of VorlaTcp Scheduler is already installed" in row for row in table("LaunchCondition")):
    failures.append("a downgrade shows no clear message")

if failures:
    print("\n".join(failures))
    sys.exit(1)
shutil.rmtree(scratch, ignore_errors=True)
print(f"vorlasched-{old}.msi: install, repair, upgrade to {new}, downgrade refused, uninstall, PATH as expected")
