#!/usr/bin/env python3
"""Writes the release zip so that the same inputs always give the same bytes: the entries in the
order given, each dated at one fixed time, with fixed attributes and compression.

    scripts/make_release_zip.py OUT.zip EPOCH ENTRY...

ENTRY is NAME=PATH for a file taken as it is, or text:NAME=PATH for a text that Windows users
open in Notepad: its line ends become CR LF, and a UTF-8 text gets a byte order mark so that
every Notepad shows its Japanese. EPOCH (seconds, UTC; the commit's time) dates every entry.
"""
import sys
import time
import zipfile


def text_for_notepad(data):
    if data.startswith(b"\xef\xbb\xbf"):
        data = data[3:]
    data = data.replace(b"\r\n", b"\n").replace(b"\n", b"\r\n")
    try:
        data.decode("ascii")
    except UnicodeDecodeError:
        data.decode("utf-8")  # anything else is a mistake in the inputs: stop here
        data = b"\xef\xbb\xbf" + data
    return data


def main(argv):
    if len(argv) < 4:
        sys.exit(__doc__)
    out, epoch, entries = argv[1], int(argv[2]), argv[3:]
    # A zip holds times from 1980 on, to the even second.
    stamp = time.gmtime(max(epoch, 315532800) // 2 * 2)[:6]
    names = set()
    with zipfile.ZipFile(out, "w") as z:
        for entry in entries:
            text = entry.startswith("text:")
            name, _, path = entry[5 if text else 0:].partition("=")
            if not name or not path or name in names:
                sys.exit(f"make_release_zip: bad or repeated entry {entry!r}")
            names.add(name)
            with open(path, "rb") as f:
                data = f.read()
            if text:
                data = text_for_notepad(data)
            info = zipfile.ZipInfo(name, date_time=stamp)
            info.create_system = 3  # Unix, so that the mode below means the same everywhere
            mode = 0o755 if name.lower().endswith(".exe") else 0o644
            info.external_attr = (0o100000 | mode) << 16
            info.compress_type = zipfile.ZIP_DEFLATED
            z.writestr(info, data, compresslevel=9)


if __name__ == "__main__":
    main(sys.argv)
