#!/usr/bin/env python3
"""Writes tests/data/mail-corpus/standards: messages built from the examples of the mail
standards (RFC 2045-2047, 2231, 5322, 1468, 1557) and from the forms that Japanese, Chinese
and Korean mail takes, encoded with Python's own codecs. Deterministic; run it again after a
change and commit the files.

    tests/corpus/make_standard_examples.py [--out DIR]
"""

import argparse
import base64
import os
import sys
from email.header import Header

JAPANESE = "日本語の件名テスト"
KANA_BODY = "こんにちは。\nメールの本文です。\n"


def b_word(charset, data):
    return "=?%s?B?%s?=" % (charset, base64.b64encode(data).decode("ascii"))


def q_word(charset, data):
    out = []
    for byte in data:
        c = chr(byte)
        if c.isalnum() and byte < 0x80:
            out.append(c)
        elif c == " ":
            out.append("_")
        else:
            out.append("=%02X" % byte)
    return "=?%s?Q?%s?=" % (charset, "".join(out))


def message(headers, body=b"", crlf=True):
    """Headers as (name, value) pairs (value str or bytes), then the body."""
    out = b""
    for name, value in headers:
        if isinstance(value, str):
            value = value.encode("ascii")
        out += name.encode("ascii") + b": " + value + b"\n"
    out += b"\n" + body
    return out.replace(b"\n", b"\r\n") if crlf else out


BASE = [("From", "Postwink Test <test@example.jp>"), ("To", "user@example.jp"),
        ("Date", "Tue, 5 Jul 2005 14:32:10 +0900"), ("MIME-Version", "1.0")]


def simple(subject, body=b"hello\n", content_type="text/plain; charset=us-ascii",
           encoding=None, extra=()):
    headers = BASE + [("Subject", subject), ("Content-Type", content_type)]
    if encoding:
        headers.append(("Content-Transfer-Encoding", encoding))
    return message(headers + list(extra), body)


def multipart(subtype, parts, extra=(), boundary="=_part_boundary"):
    body = b"This is a multi-part message in MIME format.\n"
    for part in parts:
        body += b"--" + boundary.encode() + b"\n" + part
    body += b"--" + boundary.encode() + b"--\n"
    headers = BASE + [("Subject", "multipart " + subtype),
                      ("Content-Type", 'multipart/%s; boundary="%s"' % (subtype, boundary))]
    return message(headers + list(extra), body)


def part(content_type, body, encoding=None, disposition=None, extra=()):
    out = b"Content-Type: " + content_type.encode() + b"\n"
    if encoding:
        out += b"Content-Transfer-Encoding: " + encoding.encode() + b"\n"
    if disposition:
        out += b"Content-Disposition: " + disposition.encode() + b"\n"
    for name, value in extra:
        out += name.encode() + b": " + value.encode() + b"\n"
    return out + b"\n" + body + b"\n"


def split_words(charset, data, cut, encode=b_word):
    """Two encoded words with the bytes cut at `cut`, inside a character when cut so."""
    return encode(charset, data[:cut]) + "\n " + encode(charset, data[cut:])


def examples():
    ex = {}
    utf8 = JAPANESE.encode("utf-8")

    # RFC 2047, section 8: the header examples and the white space between encoded words.
    ex["rfc2047-headers"] = message([
        ("From", "=?US-ASCII?Q?Keith_Moore?= <moore@cs.utk.edu>"),
        ("To", "=?ISO-8859-1?Q?Keld_J=F8rn_Simonsen?= <keld@dkuug.dk>"),
        ("CC", "=?ISO-8859-1?Q?Andr=E9?= Pirard <PIRARD@vm1.ulg.ac.be>"),
        ("Subject", "=?ISO-8859-1?B?SWYgeW91IGNhbiByZWFkIHRoaXMgeW8=?=\n"
                    " =?ISO-8859-2?B?dSB1bmRlcnN0YW5kIHRoZSBleGFtcGxlLg==?="),
    ], b"body\n")
    for i, subject in enumerate([
            "(=?ISO-8859-1?Q?a?=)", "(=?ISO-8859-1?Q?a?= b)",
            "(=?ISO-8859-1?Q?a?= =?ISO-8859-1?Q?b?=)", "(=?ISO-8859-1?Q?a?=  =?ISO-8859-1?Q?b?=)",
            "(=?ISO-8859-1?Q?a?=\n    =?ISO-8859-1?Q?b?=)", "(=?ISO-8859-1?Q?a_b?=)",
            "(=?ISO-8859-1?Q?a?= =?ISO-8859-2?Q?_b?=)"], 1):
        ex["rfc2047-whitespace-%d" % i] = simple(subject)

    # RFC 5322, appendix A: addresses, comments, folded and obsolete forms.
    ex["rfc5322-a1-1"] = message([
        ("From", "John Doe <jdoe@machine.example>"), ("To", "Mary Smith <mary@example.net>"),
        ("Subject", "Saying Hello"), ("Date", "Fri, 21 Nov 1997 09:55:06 -0600"),
        ("Message-ID", "<1234@local.machine.example>")],
        b"This is a message just to say hello.\nSo, \"Hello\".\n")
    ex["rfc5322-a1-2"] = message([
        ("From", "\"Joe Q. Public\" <john.q.public@example.com>"),
        ("To", "Mary Smith <mary@x.test>, jdoe@example.org, Who? <one@y.test>"),
        ("Cc", "<boss@nil.test>, \"Giant; \\\"Big\\\" Box\" <sysservices@example.net>"),
        ("Date", "Tue, 1 Jul 2003 10:52:37 +0200"),
        ("Message-ID", "<5678.21-Nov-1997@example.com>")], b"Hi everyone.\n")
    ex["rfc5322-a1-3"] = message([
        ("From", "Pete <pete@silly.example>"),
        ("To", "A Group:Ed Jones <c@a.test>,joe@where.test,John <jdoe@one.test>;"),
        ("Cc", "Undisclosed recipients:;"), ("Date", "Thu, 13 Feb 1969 23:32:54 -0330"),
        ("Message-ID", "<testabcd.1234@silly.example>")], b"Testing.\n")
    ex["rfc5322-a5"] = message([
        ("From", "Pete(A nice \\) chap) <pete(his account)@silly.test(his host)>"),
        ("To", "A Group(Some people)\n     :Chris Jones <c@(Chris's host.)public.example>,\n"
               "         joe@example.org,\n  John <jdoe@one.test> (my dear friend); (the end of"
               " the group)"),
        ("Cc", "(Empty list)(start)Hidden recipients  :(nobody(that I know))  ;"),
        ("Date", "Thu,\n      13\n        Feb\n          1969\n      23:32\n"
                 "               -0330 (Newfoundland Time)"),
        ("Message-ID", "              <testabcd.1234@silly.test>")], b"Testing.\n")
    ex["rfc5322-a6-2"] = message([
        ("From", "John Doe <jdoe@machine.example>"), ("To", "Mary Smith <mary@example.net>"),
        ("Subject", "Saying Hello"), ("Date", "21 Nov 97 09:55:06 GMT"),
        ("Message-ID", "<1234@local.machine.example>")], b"This is a message.\n")
    ex["rfc5322-a6-3"] = (b"From  : John Doe <jdoe@machine(comment).  example>\r\n"
                          b"To    : Mary Smith\r\n  \r\n          <mary@example.net>\r\n"
                          b"Subject     : Saying Hello\r\n"
                          b"Date  : Fri, 21 Nov 1997 09(comment):   55  :  06 -0600\r\n"
                          b"Message-ID  : <1234   @   local(blah)  .machine .example>\r\n"
                          b"\r\nThis is a message just to say hello.\r\n")

    # Dates with zone names (RFC 5322, section 4.3) and Japan's.
    for zone, value in [("edt", "Tue, 1 Aug 2006 13:58:02 EDT"),
                        ("pst", "Mon, 6 Feb 2006 08:00:00 PST"),
                        ("cdt", "Wed, 7 Jun 2006 23:10:00 CDT"),
                        ("ut", "Wed, 7 Jun 2006 23:10:00 UT"),
                        ("jst", "Thu, 8 Jun 2006 10:10:00 JST")]:
        ex["date-zone-" + zone] = message(
            [("From", "a@example.com"), ("Subject", "zone " + zone), ("Date", value)], b"x\n")

    # RFC 2045, section 6.7: quoted-printable, and text that only looks like it.
    ex["rfc2045-qp"] = simple("quoted-printable", b"caf=E9 =3D soft=\nbreak\n",
                              "text/plain; charset=iso-8859-1", "quoted-printable")
    ex["qp-invalid-url"] = simple(
        "invalid quoted-printable",
        b"https://www.example.com/gp/product/B00/ref=od_aui_x?ie=UTF8&psc=1\n=zz and =4\n",
        "text/plain; charset=us-ascii", "quoted-printable")

    # RFC 2046, section 5.1.1: the multipart example, and the same with a folded boundary.
    rfc2046 = (b"This is the preamble.  It is to be ignored, though it\nis a handy place for"
               b" composition agents to include an\nexplanatory note to non-MIME conformant"
               b" readers.\n\n--simple boundary\n\nThis is implicitly typed plain US-ASCII"
               b" text.\nIt does NOT end with a linebreak.\n--simple boundary\nContent-type:"
               b" text/plain; charset=us-ascii\n\nThis is explicitly typed plain US-ASCII"
               b" text.\nIt DOES end with a linebreak.\n\n--simple boundary--\n\nThis is the"
               b" epilogue.  It is also to be ignored.\n")
    ex["rfc2046-multipart"] = message(
        [("From", "Nathaniel Borenstein <nsb@bellcore.com>"), ("To", "Ned Freed <ned@innosoft.com>"),
         ("Date", "Sun, 21 Mar 1993 23:56:48 -0800 (PST)"), ("Subject", "Sample message"),
         ("MIME-Version", "1.0"),
         ("Content-type", 'multipart/mixed; boundary="simple boundary"')], rfc2046)
    ex["rfc2046-folded-boundary"] = message(
        [("From", "a@example.com"), ("Subject", "a long line\n\tcontinued"),
         ("Content-type", 'multipart/mixed; boundary="simple\n boundary"')], rfc2046)

    # RFC 2231: parameter values with charsets and continuations, on both fields.
    ex["rfc2231-content-type"] = multipart("mixed", [
        part("text/plain; charset=us-ascii", b"see the attachment"),
        part("application/x-stuff;\n title*=us-ascii'en-us'This%20is%20%2A%2A%2Afun%2A%2A%2A;\n"
             " name*0*=UTF-8''%E6%97%A5%E6%9C%AC; name*1*=%E8%AA%9E.pdf", b"AAAA", "base64")])
    ex["rfc2231-single"] = multipart("mixed", [
        part("text/plain", b"text"),
        part("application/pdf; name*=UTF-8''%E8%AB%8B%E6%B1%82%E6%9B%B8.pdf", b"AAAA",
             "base64"),
        part("application/octet-stream", b"AAAA", "base64",
             "attachment;\n filename*0*=ISO-2022-JP''%1B%24B%25F%259%25H%1B%28B;\n"
             " filename*1=.txt")])
    ex["rfc2231-boundary"] = message(
        [("From", "a@example.com"), ("Subject", "extended boundary"),
         ("Content-Type", "multipart/mixed; boundary*=\"us-ascii''b%201\"")],
        b"--b 1\nContent-Type: text/plain\n\none\n--b 1\nContent-Type: image/png\n\nPNG\n"
        b"--b 1--\n")

    # Japanese subjects: ISO-2022-JP words as mailers write them, UTF-8 words split inside a
    # character (B and Q), raw ISO-2022-JP, raw UTF-8.
    ex["ja-subject-iso2022jp"] = simple(Header(JAPANESE, "iso-2022-jp").encode())
    ex["ja-subject-iso2022jp-folded"] = simple(
        Header(JAPANESE * 4, "iso-2022-jp", maxlinelen=60).encode())
    ex["ja-subject-utf8-split-b"] = simple(split_words("UTF-8", utf8, 4))
    ex["ja-subject-utf8-split-q"] = simple(split_words("utf-8", utf8, 8, q_word))
    ex["ja-subject-utf8-split-case"] = simple(
        b_word("UTF-8", utf8[:5]) + " " + b_word("utf-8", utf8[5:]))
    ex["ja-subject-raw-jis"] = simple(JAPANESE.encode("iso-2022-jp"))
    ex["ja-subject-raw-utf8"] = message(
        BASE + [("Subject", "Re: ".encode() + utf8),
                ("Content-Type", "text/plain; charset=utf-8")], KANA_BODY.encode("utf-8"))
    ex["ja-from-mixed"] = message(
        [("From", Header("山田太郎", "iso-2022-jp").encode() + " <taro@example.jp>"),
         ("To", b_word("UTF-8", "鈴木花子".encode()) + " <hanako@example.jp>, "
                + "plain@example.jp"),
         ("Subject", "Re: " + b_word("ISO-2022-JP", "会議".encode("iso-2022-jp")) + " [ml:12]"),
         ("Date", "Tue, 5 Jul 2005 14:32:10 +0900")], b"body\n")

    # Japanese bodies in each form, and under labels that do not fit them.
    for charset, encoding in [("iso-2022-jp", "7bit"), ("utf-8", "base64"),
                              ("utf-8", "quoted-printable"), ("euc-jp", "8bit"),
                              ("shift_jis", "8bit"), ("utf-7", "7bit")]:
        data = KANA_BODY.encode(charset)
        if encoding == "base64":
            data = base64.encodebytes(data)
        elif encoding == "quoted-printable":
            data = "".join("=%02X" % b if b >= 0x80 or b == 0x3D else chr(b)
                           for b in data).encode()
        ex["ja-body-%s-%s" % (charset, encoding)] = simple(
            Header(JAPANESE, "iso-2022-jp").encode(), data, "text/plain; charset=%s" % charset, encoding)
    jis = KANA_BODY.encode("iso-2022-jp")
    ex["ja-body-jis-labelled-ascii"] = simple("mislabelled", jis, "text/plain; charset=us-ascii")
    ex["ja-body-jis-labelled-latin1"] = simple("mislabelled", jis,
                                               "text/plain; charset=iso-8859-1")
    ex["ja-body-jis-unlabelled"] = simple("no charset", jis, "text/plain")
    ex["ja-body-sjis-labelled-ascii"] = simple("mislabelled", KANA_BODY.encode("shift_jis"),
                                               "text/plain; charset=us-ascii")

    # Charset names as mail writes them.
    for name, codec in [("utf8", "utf-8"), ("UTF8", "utf-8"), ("x-sjis", "shift_jis"),
                        ("Shift-JIS", "shift_jis"), ("windows-31j", "cp932"),
                        ("CP932", "cp932"), ("x-euc-jp", "euc-jp"),
                        ("unicode-1-1-utf-7", "utf-7")]:
        ex["charset-alias-" + name.lower()] = simple(
            b_word(name, JAPANESE.encode(codec)), KANA_BODY.encode(codec),
            "text/plain; charset=%s" % name, "8bit")

    # Chinese and Korean mail (RFC 1557 for ISO-2022-KR): what code page 932 holds comes
    # through, the rest becomes "?".
    for charset, text in [("gb2312", "中文邮件测试"), ("gbk", "中文郵件"),
                          ("gb18030", "中文ｱ"), ("big5", "中文郵件測試"),
                          ("euc-kr", "한국어 韓國"), ("ks_c_5601-1987", "한국어 韓國"),
                          ("iso-2022-kr", "한국어 韓國")]:
        codec = {"ks_c_5601-1987": "euc-kr"}.get(charset, charset)
        data = text.encode(codec)
        ex["cjk-" + charset] = simple(
            b_word(charset, data), base64.encodebytes((text + "\n").encode(codec)),
            "text/plain; charset=%s" % charset, "base64")

    # What counts as an attachment.
    alt = [part("text/plain; charset=us-ascii", b"plain"),
           part("text/html; charset=us-ascii", b"<p>html</p>")]
    ex["attach-alternative-only"] = multipart("alternative", alt)
    ex["attach-related-inline-image"] = multipart("related", [
        part("text/html; charset=us-ascii", b"<img src=\"cid:logo\">"),
        part("image/png; name=\"image001.png\"", b"iVBORw0KGgo=", "base64",
             "inline; filename=\"image001.png\"", [("Content-ID", "<logo>")])])
    ex["attach-related-attached-image"] = multipart("related", [
        part("text/html; charset=us-ascii", b"<p>see</p>"),
        part("image/png", b"iVBORw0KGgo=", "base64", "attachment")])
    ex["attach-mixed-pdf"] = multipart("mixed", [
        part("text/plain; charset=us-ascii", b"the report"),
        part("application/pdf", b"JVBERi0=", "base64")])
    ex["attach-mixed-named-text"] = multipart("mixed", [
        part("text/plain; charset=us-ascii", b"the list"),
        part("text/plain; charset=us-ascii; name=\"list.csv\"", b"a,b\n1,2")])
    ex["attach-single-named-text"] = simple(
        "the list", b"a,b\n1,2\n", 'text/plain; charset=us-ascii; name="list.csv"',
        extra=[("Content-Disposition", 'attachment; filename="list.csv"')])
    ex["attach-digest"] = multipart("digest", [
        b"\nFrom: a@example.com\nSubject: first\n\none\n",
        b"\nFrom: b@example.com\nSubject: second\n\ntwo\n"])
    ex["attach-invalid-type"] = simple("invalid type", b"text after all\n", "text")

    # Part headers without their empty line, and an "empty" line holding a space.
    ex["part-header-no-empty-line"] = multipart("mixed", [
        b"Content-Type: text/plain; charset=us-ascii\nFirst paragraph of the body.\n\nSecond.\n",
        part("image/gif; name=\"a.gif\"", b"R0lGODlh", "base64")])
    ex["part-header-space-line"] = multipart("mixed", [
        b"Content-Type: text/plain; charset=us-ascii\n \nThe body after a line of one space.\n"])
    ex["part-similar-boundaries"] = message(
        [("From", "a@example.com"), ("Subject", "similar boundaries"),
         ("Content-Type", 'multipart/mixed; boundary="b"')],
        b"--b\nContent-Type: multipart/alternative; boundary=\"b_alt\"\n\n--b_alt\n"
        b"Content-Type: text/plain\n\nplain\n--b_alt\nContent-Type: text/html\n\n<p>x</p>\n"
        b"--b_alt--\n--b\nContent-Type: application/zip; name=\"a.zip\"\n\nPK\n--b--\n")

    # Lines that begin with a dot, as a stored file holds them (no dot-stuffing).
    ex["dot-lines"] = simple("dots", b"...and so on\n.hidden\n.\nend\n")
    # LF line ends.
    ex["lf-line-ends"] = message(BASE + [("Subject", "LF only"),
                                         ("Content-Type", "text/plain; charset=utf-8")],
                                 KANA_BODY.encode("utf-8"), crlf=False)
    return ex


def main():
    here = os.path.dirname(os.path.abspath(__file__))
    parser = argparse.ArgumentParser(description=__doc__.splitlines()[0])
    parser.add_argument("--out", default=os.path.join(here, "..", "data", "mail-corpus",
                                                      "standards"))
    args = parser.parse_args()
    os.makedirs(args.out, exist_ok=True)
    for name, data in sorted(examples().items()):
        with open(os.path.join(args.out, name + ".eml"), "wb") as f:
            f.write(data)
    print("%d messages" % len(examples()))
    return 0


if __name__ == "__main__":
    sys.exit(main())
