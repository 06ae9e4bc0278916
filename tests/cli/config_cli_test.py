#!/usr/bin/env python3
"""postwink-cli settings and password, run as a user runs them: JSON fields, exit codes, files.

usage: config_cli_test.py POSTWINK_CLI FIXTURE_INI
"""
import json
import os
import shutil
import subprocess
import sys
import tempfile

CLI, FIXTURE = sys.argv[1], sys.argv[2]
failures = []


def run(*args):
    p = subprocess.run([CLI, *args], capture_output=True, timeout=60)
    return p.returncode, p.stdout.decode("utf-8"), p.stderr.decode("utf-8", "replace")


def check(label, condition, detail=""):
    if not condition:
        failures.append(f"{label}: {detail}")


def settings_json(ini, *extra):
    code, out, err = run("settings", "--ini", ini, *extra)
    check(f"settings {extra} exit", code == 0, f"{code} {err}")
    return json.loads(out) if code == 0 else None


work = tempfile.mkdtemp(prefix="postwink-cli-test-")
try:
    ini = os.path.join(work, "Postwink.ini")
    shutil.copyfile(FIXTURE, ini)
    original = open(ini, "rb").read()

    # What the program reads from a hand-edited file.
    doc = settings_json(ini)
    s, accounts = doc["settings"], doc["accounts"]
    check("exists", doc["exists"] is True)
    check("SOKIGERR", s["SOKIGERR"] == 0, s["SOKIGERR"])
    check("PRE_RGB follows ST3_RGB", s["PRE_RGB"] == 255, s["PRE_RGB"])
    check("DISP_SEC stops at the first non-digit", s["DISP_SEC"] == 25, s["DISP_SEC"])
    check("FONTNAME default", s["FONTNAME"] == "ＭＳ Ｐゴシック", s["FONTNAME"])
    check("FONTNAME_PREVIEW follows FONTNAME", s["FONTNAME_PREVIEW"] == s["FONTNAME"])
    check("accounts without gaps", [a["MAILBOX"] for a in accounts] == ["仕事", "only a name"],
          accounts)
    check("password hidden", accounts[0]["PASS"] == "****", accounts[0]["PASS"])
    check("defaults of a bare section",
          (accounts[1]["PORT"], accounts[1]["TIMER"], accounts[1]["ENABLE"],
           accounts[1]["BOX_RGB"]) == (110, 10, 0, s["ST2_RGB"]), accounts[1])
    shown = settings_json(ini, "--show-passwords")
    check("password shown", shown["accounts"][0]["PASS"] == "abc", shown["accounts"][0])
    check("reading leaves the file alone", open(ini, "rb").read() == original)

    # A missing file gives the defaults and is not created by reading.
    missing = os.path.join(work, "absent.ini")
    doc = settings_json(missing)
    check("missing file", doc["exists"] is False and doc["accounts"] == [], doc)
    check("missing file defaults", doc["settings"]["SV_TIMEOUT"] == 60)
    check("missing file not created", not os.path.exists(missing))

    # Usage errors, then failures.
    for args in ([], ["--ini"], ["--ini", ini, "--accounts"], ["--ini", ini, "--bogus"]):
        code, _, err = run("settings", *args)
        check(f"usage {args}", code == 2 and err, f"{code} {err!r}")
    code, _, err = run("settings", "--ini", work)  # a folder, not a file
    check("unreadable file", code == 1 and err, f"{code} {err!r}")
    code, _, err = run("settings", "--ini", os.path.join(work, "no", "such", "dir.ini"), "--resave")
    check("unwritable file", code == 1 and err, f"{code} {err!r}")

    # Saving as the program does: hand-edited keys stay, accounts are renumbered.
    code, _, err = run("settings", "--ini", ini, "--resave", "--accounts")
    check("resave exit", code == 0, f"{code} {err}")
    saved = open(ini, "rb").read().decode("cp932")
    check("CR LF kept", "\r\n" in saved and "\n" not in saved.replace("\r\n", ""))
    for kept in ("SOKIGERR=0\r\n", "MYOWNKEY=kept\r\n", "LOG=1\r\n", "DISP_SEC=25\r\n",
                 "[Window]\r\nReportCtrl2=0,1,2\r\n"):
        check(f"saved file holds {kept!r}", kept in saved, saved)
    check("ADVANCE off: SHOW_TOOLTIP not written", "SHOW_TOOLTIP" not in saved)
    for gone in ("[SERVER5]", "[SERVER11]", "never read"):
        check(f"saved file lost {gone}", gone not in saved, saved)
    again = settings_json(ini, "--show-passwords")
    check("accounts after the save",
          [(a["MAILBOX"], a["PASS"]) for a in again["accounts"]]
          == [("仕事", "abc"), ("only a name", "")], again["accounts"])

    # The password format both ways.
    code, out, _ = run("password", "unscramble", "A^AVIX")
    check("unscramble worked example", (code, out) == (0, "abc\n"), (code, out))
    code, out, _ = run("password", "scramble", "a")  # one byte: nothing to raise
    check("scramble one byte", (code, out) == (0, "A_\n"), (code, out))
    for password in ("secret password", "p@ss w0rd!", "~~~~", "x"):
        code, stored, _ = run("password", "scramble", password)
        check(f"scramble {password!r}", code == 0 and stored.strip(), (code, stored))
        code, out, _ = run("password", "unscramble", stored.strip())
        check(f"round trip {password!r}", (code, out) == (0, password + "\n"), (code, out))
    code, _, err = run("password", "scramble", "パス")
    check("unrepresentable password", code == 1 and err, (code, err))
    for args in ([], ["scramble"], ["rot13", "x"], ["scramble", "a", "b"]):
        code, _, err = run("password", *args)
        check(f"password usage {args}", code == 2 and err, (code, err))
finally:
    shutil.rmtree(work)

for f in failures:
    print("FAIL", f)
sys.exit(1 if failures else 0)
