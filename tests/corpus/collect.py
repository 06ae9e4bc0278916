#!/usr/bin/env python3
"""Collects the mail test corpus in tests/data/mail-corpus from Debian packages.

Run once by hand when the corpus is to be renewed; CI uses the committed files. The messages
come from the test data of other mail libraries, so that the parser is checked on mail that
nobody here wrote:

  python-email/  Python's email package tests (Debian: libpython3.11-testsuite, PSF licence):
                 the message files of test/test_email/data and the messages written inline in
                 its test modules.
  enmime/        the Go library enmime (Debian: golang-github-jhillyerd-enmime-dev, test data
                 under CC0-1.0).

    tests/corpus/collect.py [--out DIR]

The packages are fetched with apt-get download and unpacked into a temporary folder.
"""

import argparse
import ast
import glob
import os
import re
import shutil
import subprocess
import sys
import tempfile
import textwrap

PYTHON_PACKAGE = "libpython3.11-testsuite"
ENMIME_PACKAGE = "golang-github-jhillyerd-enmime-dev"

HEADER_LINE = re.compile(r"^[A-Za-z][A-Za-z0-9-]*:[ \t]")


def unpack(packages, work):
    subprocess.run(["apt-get", "download", *packages], cwd=work, check=True,
                   stdout=subprocess.DEVNULL)
    root = os.path.join(work, "root")
    for deb in glob.glob(os.path.join(work, "*.deb")):
        subprocess.run(["dpkg", "-x", deb, root], check=True)
    return root


def looks_like_message(text):
    """A text of two or more header lines, then an empty line."""
    lines = text.split("\n")
    if len(lines) < 3 or not HEADER_LINE.match(lines[0]) or "" not in lines:
        return False
    head = lines[:lines.index("")]
    return sum(1 for line in head[:5] if HEADER_LINE.match(line) or line[:1] in " \t") >= 2


def inline_messages(module_path):
    """The string and bytes constants of a test module that are whole messages."""
    with open(module_path, encoding="utf-8") as f:
        tree = ast.parse(f.read())
    for node in ast.walk(tree):
        if not isinstance(node, ast.Constant) or not isinstance(node.value, (str, bytes)):
            continue
        value = node.value
        if isinstance(value, bytes):
            text = textwrap.dedent(value.decode("latin-1")).lstrip("\n")
            if looks_like_message(text):
                yield text.encode("latin-1")
        else:
            text = textwrap.dedent(value).lstrip("\n")
            if looks_like_message(text):
                yield text.encode("utf-8", "surrogateescape")


def collect_python(root, out):
    base = glob.glob(os.path.join(root, "usr/lib/python3*/test/test_email"))[0]
    target = os.path.join(out, "python-email")
    os.makedirs(target, exist_ok=True)
    count = 0
    for path in sorted(glob.glob(os.path.join(base, "data", "msg_*.txt"))):
        name = "data-" + os.path.splitext(os.path.basename(path))[0] + ".eml"
        shutil.copyfile(path, os.path.join(target, name))
        count += 1
    seen = set()
    for module in sorted(glob.glob(os.path.join(base, "test_*.py"))):
        stem = os.path.splitext(os.path.basename(module))[0]
        number = 0
        for message in inline_messages(module):
            if message in seen:
                continue
            seen.add(message)
            number += 1
            with open(os.path.join(target, "%s-%03d.eml" % (stem, number)), "wb") as f:
                f.write(message)
            count += 1
    return count


def collect_enmime(root, out):
    base = glob.glob(os.path.join(root, "usr/share/gocode/src/github.com/jhillyerd/enmime"))[0]
    target = os.path.join(out, "enmime")
    os.makedirs(target, exist_ok=True)
    count = 0
    for folder in ("mail", "low-quality", "parts", "encode"):
        for path in sorted(glob.glob(os.path.join(base, "testdata", folder, "*"))):
            if os.path.getsize(path) == 0:
                continue
            name = folder + "-" + os.path.splitext(os.path.basename(path))[0] + ".eml"
            shutil.copyfile(path, os.path.join(target, name))
            count += 1
    return count


def main():
    here = os.path.dirname(os.path.abspath(__file__))
    parser = argparse.ArgumentParser(description=__doc__.splitlines()[0])
    parser.add_argument("--out", default=os.path.join(here, "..", "data", "mail-corpus"))
    args = parser.parse_args()
    with tempfile.TemporaryDirectory() as work:
        root = unpack([PYTHON_PACKAGE, ENMIME_PACKAGE], work)
        python_count = collect_python(root, args.out)
        enmime_count = collect_enmime(root, args.out)
    print("python-email: %d messages, enmime: %d messages" % (python_count, enmime_count))
    return 0


if __name__ == "__main__":
    sys.exit(main())
