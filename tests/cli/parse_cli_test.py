#!/usr/bin/env python3
"""postwink-cli parse and bench parse on message files as they are stored: LF or CR LF line
ends, lines that begin with a dot (no dot-stuffing), and --pop3 for a server's transfer form.

usage: parse_cli_test.py POSTWINK_CLI
"""
import json
import os
import subprocess
import sys
import tempfile

CLI = sys.argv[1]
failures = []

MESSAGE = (b"From: a@example.com\nSubject: =?UTF-8?B?5pel5pys?=\n"
           b"Content-Type: text/plain; charset=utf-8\n\n"
           b"..and so on\n.hidden\nend\n")


def check(label, condition, detail=""):
    if not condition:
        failures.append("%s: %s" % (label, detail))


def parse(*args):
    p = subprocess.run([CLI, "parse", *args], capture_output=True, timeout=60)
    check("parse %s exit" % (args,), p.returncode == 0, p.stderr.decode("utf-8", "replace"))
    return json.loads(p.stdout.decode("utf-8"))


with tempfile.TemporaryDirectory(prefix="postwink-parse-test-") as work:
    lf = os.path.join(work, "lf.eml")
    crlf = os.path.join(work, "crlf.eml")
    with open(lf, "wb") as f:
        f.write(MESSAGE)
    with open(crlf, "wb") as f:
        f.write(MESSAGE.replace(b"\n", b"\r\n"))

    stored, stored_crlf = parse(lf, crlf)
    check("stored body keeps its dots", stored["body"] == "..and so on\r\n.hidden\r\nend\r\n",
          repr(stored["body"]))
    check("LF and CR LF read alike", stored["body"] == stored_crlf["body"]
          and stored["subject"] == stored_crlf["subject"] == "日本", repr(stored_crlf))
    (sent,) = parse("--pop3", lf)
    check("--pop3 removes the dot-stuffing", sent["body"] == ".and so on\r\nhidden\r\nend\r\n",
          repr(sent["body"]))

    dump = os.path.join(work, "dump.tsv")
    p = subprocess.run([CLI, "bench", "parse", "--runs", "1", "--dump", dump, work],
                       capture_output=True, timeout=60)
    check("bench exit", p.returncode == 0, p.stderr.decode("utf-8", "replace"))
    check("bench result", p.stdout.startswith(b"RESULT peer=postwink messages=2 "),
          p.stdout.decode("utf-8", "replace"))
    with open(dump, encoding="utf-8") as f:
        rows = [line.rstrip("\n").split("\t") for line in f]
    check("bench reads LF like CR LF", len(rows) == 2 and rows[0][1:] == rows[1][1:], repr(rows))
    check("bench keeps stored dots", len(rows) == 2 and rows[0][-1].startswith("..and so on"),
          repr(rows))

for failure in failures:
    print("FAIL", failure)
sys.exit(1 if failures else 0)
