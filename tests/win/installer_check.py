#!/usr/bin/python3
"""The Windows Installer package of make_dist through its life under Wine's msiexec, on a prefix
of its own: install, repair, upgrade to a newer package of the same files, the older one
refused, uninstall, the PATH option, and a rebuild of the same version with other templates, which
replaces the installed package. Usage: installer_check.py SOURCE BUILD."""
import os, shutil, subprocess, sys
from pathlib import Path

source, build = Path(sys.argv[1]), Path(sys.argv[2])
dist, prefix = build / "installer-check", build / "installer-prefix"
rebuilt = build / "installer-check-rebuilt"  # the same version, with a fleet's own template
env = dict(os.environ, WINEPREFIX=str(prefix), WINEDEBUG="-all", WINEARCH="win32",
           WINEDLLOVERRIDES="mscoree,mshtml,winemenubuilder.exe=", VORLA_DIST=str(dist), VORLA_WIN_BUILD=str(build))
folder = "C:\\Program Files\\Kelvane\\vorlasched"
program = prefix / "drive_c/Program Files/Kelvane/vorlasched"
verbs = [f"HKCR\\{k}\\shell\\VorlaTcpScheduler\\command" for k in ("Directory", "SystemFileAssociations\\.prn")]
vorla, backup = "HKLM\\SOFTWARE\\Kelvane\\Vorla", prefix / "drive_c/ProgramData/Kelvane/vorlasched/backups/Vorla-1.reg"
environment = "HKLM\\System\\CurrentControlSet\\Control\\Session Manager\\Environment"
uninstall = "HKLM\\Software\\Microsoft\\Windows\\CurrentVersion\\Uninstall"


def run(*args):
    return subprocess.run(args, env=env, stdin=subprocess.DEVNULL, capture_output=True).stdout.decode(errors="replace")


def bash(script, *args):
    return run("bash", "-c", f'source "{source}/scripts/lib.sh" && {script}', "bash", *args).strip()


def package(version, folder=dist):
    return f"Z:{folder}\\vorlasched-{version}.msi".replace("/", "\\")


def msiexec(*args):
    """msiexec's whole exit code (a Linux exit status keeps only its low byte)."""
    out = run("wine", "cmd", "/c", " ".join(["msiexec", *args, "/qn & echo rc=%ERRORLEVEL%"]))
    return int(out.rsplit("rc=")[1].split()[0])


def values(key):
    """{name: data} of a registry key, {} when it is absent."""
    rows = [line.strip().partition("    ") for line in run("wine", "reg", "query", key).splitlines()
            if line.startswith("    ")]
    return {name: data.partition("    ")[2] for name, _, data in rows}


def uninstall_keys():
    return [k for k in run("wine", "reg", "query", uninstall).splitlines() if k.startswith("HKEY_LOCAL_MACHINE\\")]


def snapshot():
    entries = [values(k) for k in uninstall_keys()]
    # Wine puts a per-machine shortcut in the installing user's Start menu, Windows in the common one.
    links = [p for menu in ("users/*/AppData/Roaming", "ProgramData") for p in
             (prefix / "drive_c").glob(f"{menu}/Microsoft/Windows/Start Menu/Programs/VorlaTcp Scheduler.lnk")]
    return {"files": {p.name: p.read_bytes() for p in program.glob("*")},
            "shortcut": [f"{folder}\\vorlasched.exe".encode() in p.read_bytes() for p in links],
            "verbs": [values(k).get("(Default)") for k in verbs],
            "entries": [(e["DisplayName"], e["DisplayVersion"], e["Publisher"])
                        for e in entries if e.get("Publisher") == "Kelvane"],
            "on_path": folder.lower() + "\\" in values(environment).get("PATH", "").lower().split(";"),
            "kept": [bool(values(vorla)), backup.is_file()]}


shutil.rmtree(dist, ignore_errors=True)
bash("make_dist")
old = bash("vorla_version")
new = ".".join(str(int(part) + (i == 2)) for i, part in enumerate(old.split(".")))
bash('"$VORLA_ROOT/scripts/msi.sh" "$1" "$2"', str(dist), new)
shipped = {p.name: p.read_bytes() for p in dist.glob("*") if p.suffix not in (".zip", ".msi") and p.name != "SHA256SUMS"}
shutil.rmtree(rebuilt, ignore_errors=True)
shutil.copytree(dist, rebuilt, ignore=shutil.ignore_patterns("*.zip", "*.msi", "SHA256SUMS"))
(rebuilt / "abPOS.xml").write_bytes(shipped["abPOS.xml"] + b"<!-- the fleet's own -->\r\n")
bash('"$VORLA_ROOT/scripts/msi.sh" "$1" "$2"', str(rebuilt), old)
own = dict(shipped, **{"abPOS.xml": (rebuilt / "abPOS.xml").read_bytes()})
bash('prepare_prefix "$1" >/dev/null 2>&1 && start_wineserver', str(prefix))
failures = []
try:
    # A stopped run's products and PATH entry go first; then what the program writes, which no step may touch.
    for key in uninstall_keys():  # by product code: a stopped run's packages may have had other ones
        if values(key).get("Publisher") == "Kelvane":
            msiexec("/x", key.rsplit("\\", 1)[1])
    path = [e for e in values(environment).get("PATH", "").split(";") if e and e.lower() != folder.lower() + "\\"]
    run("wine", "reg", "add", environment, "/v", "PATH", "/t", "REG_EXPAND_SZ", "/d", ";".join(path), "/f")
    run("wine", "reg", "add", vorla, "/v", "ps2pdf_cmd", "/d", "x", "/reg:32", "/f")
    backup.parent.mkdir(parents=True, exist_ok=True)
    backup.write_bytes(b"REGEDIT5")

    there = {"files": shipped, "shortcut": [True], "verbs": [f'"{folder}\\vorlasched.exe" "%1"'] * 2,
             "entries": [("VorlaTcp Scheduler", old, "Kelvane")], "on_path": False, "kept": [True, True]}
    newer = dict(there, entries=[("VorlaTcp Scheduler", new, "Kelvane")])
    gone = {"files": {}, "shortcut": [], "verbs": [None, None], "entries": [], "on_path": False, "kept": [True, True]}
    # Wine's msiexec has no /fa ("Product code treatment not implemented"): the repair is asked by its properties.
    steps = [  # (step, a file deleted before it, msiexec's arguments, its exit code, the machine after it)
        ("install", None, ["/i", package(old), f"/l*v {package(old)}.log"], 0, there),
        ("repair", program / "ab1.bmp", ["/i", package(old), "REINSTALL=ALL", "REINSTALLMODE=amus"], 0, there),
        ("rebuilt, same version", None, ["/i", package(old, rebuilt)], 0, dict(there, files=own)),
        ("upgrade", None, ["/i", package(new)], 0, newer),
        ("older refused", None, ["/i", package(old)], 1603, newer),
        ("uninstall", None, ["/x", package(new)], 0, gone),
        ("PATH, no verbs", None, ["/i", package(old), "ADDTOPATH=1", "ADDLOCAL=Program"], 0,
         dict(there, verbs=[None, None], on_path=True)),
        ("PATH off", None, ["/x", package(old)], 0, gone),
    ]
    for step, damage, args, code, expected in steps:
        if damage:
            damage.unlink()
        rc, state = msiexec(*args), snapshot()
        if rc != code:
            failures.append(f"{step}: msiexec exited with {rc}, expected {code}")
        failures += [f"{step}: {key} is {sorted(state[key]) if key == 'files' else state[key]}"
                     for key, want in expected.items() if state[key] != want]
        console = [f"{folder}\\vorlasched.com", "/?"]
        if step == "install" and subprocess.run(["wine", *console], env=env, capture_output=True).returncode:
            failures.append("the installed vorlasched.com /? failed")
finally:
    run("wineserver", "-k")

# Wine logs no launch-condition text: the package's table holds what Windows shows.
if "A newer version of VorlaTcp Scheduler is already installed" not in \
        run("msiinfo", "export", f"{dist}/vorlasched-{old}.msi", "LaunchCondition"):
    failures.append("a downgrade shows no clear message")
codes = {run("msiinfo", "export", f"{folder}/vorlasched-{old}.msi", "Property").split("ProductCode\t")[1][:38]
         for folder in (dist, rebuilt)}
if len(codes) != 2:
    failures.append(f"a rebuild with other templates keeps the product code {codes}")
print("\n".join(failures) or f"vorlasched-{old}.msi: install, repair, rebuilt with other templates, upgrade to "
      f"{new}, downgrade refused, uninstall, PATH as expected")
if failures:
    sys.exit(1)
shutil.rmtree(dist, ignore_errors=True)
shutil.rmtree(rebuilt, ignore_errors=True)
