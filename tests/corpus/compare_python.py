#!/usr/bin/env python3
"""Compares postwink-cli's parse of the mail corpus with Python's email package, field by field.

    compare_python.py [--corpus DIR] [--differences FILE] [--update] CLI [CLI-ARGS...]

CLI is the postwink-cli command (with a wrapper in front of it when it runs under Wine). Every
message of the corpus is parsed by both; the fields are Subject, From, To, Cc, the date as the
list shows it (local zone +09:00), the attachment flag, the names of the leaf parts and the body
text. The texts must be the same characters; only white space runs count as one space on both
sides, and the Japanese characters that Unicode holds twice count as one.

Every difference must be listed with its reason in the differences file (file, field, reason,
tab-separated); the script fails on a difference that is not listed and on a listed one that no
longer occurs. --update rewrites the file with the differences as found, keeping the reasons
already given and marking new ones "unexplained".
"""

import argparse
import collections
import email
import email.policy
import email.utils
import json
import os
import re
import subprocess
import sys

FIELDS = ("subject", "from", "to", "cc", "date", "attachment", "parts", "body")
LOCAL_ZONE_MINUTES = 540

# The Japanese characters that Unicode holds twice: Postwink reads every Japanese set as Windows
# reads Shift_JIS (0x8160 is U+FF5E), where Python's codecs give the JIS code points.
JAPANESE_DUPLICATES = {
    "\u301c": "\uff5e", "\u2016": "\u2225", "\u2212": "\uff0d", "\u2014": "\u2015",
    "\u00a2": "\uffe0", "\u00a3": "\uffe1", "\u00ac": "\uffe2",
}


def normalise(text):
    if text is None:
        return None
    for ch, repl in JAPANESE_DUPLICATES.items():
        text = text.replace(ch, repl)
    return re.sub(r"[ \t\r\n]+", " ", text).strip()


def unstructured(value):
    """A header value decoded as Python decodes unstructured text (RFC 2047, unfolded)."""
    try:
        return str(email.policy.default.header_factory("X-Unstructured", value))
    except Exception:  # a value Python's header parser cannot take
        return None


def header_values(msg, name):
    return ["".join(v.splitlines()) for k, v in msg.raw_items() if k.lower() == name]


def decoded_field(msg, name, all_values):
    values = header_values(msg, name)
    if not values:
        return None
    if not all_values:
        values = values[:1]
    decoded = [unstructured(v) for v in values]
    if any(d is None for d in decoded):
        return None
    return ",".join(decoded)


def display_date(msg):
    values = header_values(msg, "date")
    if not values:
        return None
    raw = values[0].strip(" \t")
    parsed = email.utils.parsedate_tz(raw)
    if not parsed:
        return raw
    year, month, day, hour, minute, second = parsed[:6]
    offset = parsed[9]
    import datetime
    try:
        when = datetime.datetime(year, month, day, hour, minute, second)
    except ValueError:
        return raw
    if offset is not None:
        shift = datetime.timedelta(minutes=LOCAL_ZONE_MINUTES) - datetime.timedelta(seconds=offset)
        if abs(shift) < datetime.timedelta(hours=24):
            when += shift
    return when.strftime("%y/%m/%d %H:%M:%S")


def leaves(part, parent=None):
    """The leaf parts in order with the type of the multipart that holds each."""
    if part.get_content_maintype() == "multipart" and isinstance(part.get_payload(), list):
        for sub in part.get_payload():
            yield from leaves(sub, part.get_content_type())
    else:
        yield part, parent


def disposition(part):
    value = part.get("content-disposition")
    return str(value).split(";")[0].strip().lower() if value is not None else ""


def file_name(part):
    try:
        return part.get_filename()
    except Exception:
        return None


def is_body_candidate(part):
    return part.get_content_maintype() == "text" and disposition(part) != "attachment"


def counts_as_attachment(part, parent):
    if disposition(part) == "attachment":
        return True
    if parent == "multipart/related" and part.get_content_maintype() == "image":
        return False
    return bool(file_name(part)) or part.get_content_maintype() != "text"


def body_text(part):
    payload = part.get_payload(decode=True) or b""
    charset = part.get_content_charset() or "us-ascii"
    try:
        return payload.decode(charset, "replace")
    except LookupError:
        return payload.decode("us-ascii", "replace")


def python_record(raw):
    msg = email.message_from_bytes(raw, policy=email.policy.default)
    parts = list(leaves(msg))
    body_index = next((i for i, (p, _) in enumerate(parts) if is_body_candidate(p)), None)
    return {
        "subject": decoded_field(msg, "subject", False),
        "from": decoded_field(msg, "from", False),
        "to": decoded_field(msg, "to", True),
        "cc": decoded_field(msg, "cc", True),
        "date": display_date(msg),
        "attachment": any(counts_as_attachment(p, parent)
                          for i, (p, parent) in enumerate(parts) if i != body_index),
        "parts": [file_name(p) or "" for p, _ in parts],
        "body": body_text(parts[body_index][0]) if body_index is not None else None,
    }


def postwink_records(cli, files):
    env = dict(os.environ, TZ="Asia/Tokyo")
    out = subprocess.run([*cli, "parse", *files], capture_output=True, env=env, timeout=600)
    if out.returncode != 0:
        sys.exit("postwink-cli parse failed (%d): %s" % (out.returncode,
                                                         out.stderr.decode("utf-8", "replace")))
    records = {}
    for item in json.loads(out.stdout.decode("utf-8")):
        records[item["file"]] = {
            "subject": item["subject"], "from": item["from"], "to": item["to"],
            "cc": item["cc"], "date": item["dateText"], "attachment": item["hasAttachment"],
            "parts": [p["name"] or "" for p in item["parts"]], "body": item["body"],
        }
    return records


def same(field, ours, theirs):
    if field == "attachment":
        return ours == theirs
    if field == "parts":
        return [normalise(n) for n in ours] == [normalise(n) for n in theirs]
    if field == "body":  # no body and an empty one look alike
        return normalise(ours or "") == normalise(theirs or "")
    return normalise(ours) == normalise(theirs)


def read_differences(path):
    listed = {}
    if os.path.exists(path):
        with open(path, encoding="utf-8") as f:
            for line in f:
                if line.startswith("#") or not line.strip():
                    continue
                name, field, reason = line.rstrip("\n").split("\t", 2)
                listed[(name, field)] = reason
    return listed


def write_differences(path, found, listed):
    with open(path, "w", encoding="utf-8") as f:
        f.write("# Where Postwink's parse of tests/data/mail-corpus differs from Python's email\n"
                "# package, and why (reasons: tests/data/mail-corpus/README.md).\n"
                "# file\tfield\treason\n")
        for key in sorted(found):
            f.write("%s\t%s\t%s\n" % (key[0], key[1], listed.get(key, "unexplained")))


def main():
    here = os.path.dirname(os.path.abspath(__file__))
    parser = argparse.ArgumentParser()
    parser.add_argument("--corpus", default=os.path.join(here, "..", "data", "mail-corpus"))
    parser.add_argument("--differences", default=os.path.join(here, "differences.tsv"))
    parser.add_argument("--update", action="store_true")
    parser.add_argument("--show", action="store_true", help="print each difference in full")
    parser.add_argument("cli", nargs=argparse.REMAINDER)
    args = parser.parse_args()
    if not args.cli:
        parser.error("the postwink-cli command is missing")

    corpus = os.path.abspath(args.corpus)
    names = sorted(os.path.relpath(os.path.join(d, f), corpus)
                   for d, _, fs in os.walk(corpus) for f in fs if f.endswith(".eml"))
    ours = postwink_records(args.cli, [os.path.join(corpus, n) for n in names])
    listed = read_differences(args.differences)

    agree = collections.Counter()
    found = {}
    for name in names:
        with open(os.path.join(corpus, name), "rb") as f:
            theirs = python_record(f.read())
        mine = ours[os.path.join(corpus, name)]
        for field in FIELDS:
            if same(field, mine[field], theirs[field]):
                agree[field] += 1
            else:
                found[(name, field)] = (mine[field], theirs[field])

    unexpected = [k for k in found if k not in listed]
    stale = [k for k in listed if k not in found]
    reasons = collections.Counter(listed.get(k, "unexplained") for k in found)

    print("%d messages compared with Python %s's email package" %
          (len(names), sys.version.split()[0]))
    print("%-11s %6s %6s" % ("field", "agree", "differ"))
    for field in FIELDS:
        print("%-11s %6d %6d" % (field, agree[field], len(names) - agree[field]))
    print("differences by reason: " +
          ", ".join("%s %d" % (r, n) for r, n in sorted(reasons.items())))
    for key in sorted(found) if args.show else sorted(unexpected):
        mine, theirs = found[key]
        print("%s %s %s\n  postwink: %r\n  python:   %r" %
              ("DIFFERS" if key in listed else "NEW", key[0], key[1], mine, theirs))
    for key in sorted(stale):
        print("NO LONGER DIFFERS %s %s (listed as %s)" % (key[0], key[1], listed[key]))

    if args.update:
        write_differences(args.differences, found, listed)
        return 0
    return 1 if unexpected or stale else 0


if __name__ == "__main__":
    sys.exit(main())
