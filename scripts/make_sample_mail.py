#!/usr/bin/env python3
"""Writes a small sample mailbox into a Maildir: a few messages in Japanese and English, in the
encodings Japanese mail arrives in (ISO-2022-JP, UTF-8 base64, Shift_JIS quoted-printable), one
with an attachment, and international mail in UTF-8 (accented Latin, an emoji, Korean,
simplified Chinese) whose characters no Japanese code page holds.

    scripts/make_sample_mail.py MAILDIR      (creates MAILDIR/new, cur and tmp as needed)
"""
import base64
import os
import sys
import time
from email.charset import BASE64, QP, Charset
from email.header import Header
from email.message import EmailMessage
from email.mime.text import MIMEText
from email.utils import format_datetime
from datetime import datetime, timedelta, timezone


def encoded_mail(text, subject, sender, charset, encoding, when):
    cs = Charset(charset)
    cs.header_encoding = encoding
    cs.body_encoding = None if charset == "iso-2022-jp" else encoding
    msg = MIMEText(text, "plain", cs)
    msg["From"] = Header(sender[0], cs).encode() + " <" + sender[1] + ">"
    msg["To"] = "demo@example.com"
    msg["Subject"] = Header(subject, cs).encode()
    msg["Date"] = format_datetime(when)
    return msg


def shift_jis(text, subject, sender, when):
    """Shift_JIS as some mailers still send it: 8-bit body, B-encoded header words."""
    def word(t):
        return "=?Shift_JIS?B?" + base64.b64encode(t.encode("cp932")).decode() + "?="
    head = ("From: %s <%s>\nTo: demo@example.com\nSubject: %s\nDate: %s\nMIME-Version: 1.0\n"
            "Content-Type: text/plain; charset=Shift_JIS\nContent-Transfer-Encoding: 8bit\n\n"
            % (word(sender[0]), sender[1], word(subject), format_datetime(when)))
    return head.encode("ascii") + text.encode("cp932")


def main():
    if len(sys.argv) != 2:
        sys.exit(__doc__)
    maildir = sys.argv[1]
    for sub in ("new", "cur", "tmp"):
        os.makedirs(os.path.join(maildir, sub), exist_ok=True)
    jst = timezone(timedelta(hours=9))
    base = datetime(2026, 12, 9, 9, 30, tzinfo=jst)
    messages = []

    english = EmailMessage()
    english["From"] = "Alice Smith <alice@example.com>"
    english["To"] = "demo@example.com"
    english["Subject"] = "Lunch on Friday?"
    english["Date"] = format_datetime(base)
    english.set_content("Hi,\n\nShall we try the new noodle place on Friday?\n\nAlice\n")
    messages.append(english)

    messages.append(encoded_mail(
        "お疲れさまです。\n\n本日の会議の議事録をお送りします。\nご確認ください。\n",
        "会議の議事録", ("山田太郎", "yamada@example.jp"), "iso-2022-jp", BASE64,
        base + timedelta(minutes=20)))

    messages.append(encoded_mail(
        "こんにちは。\n\n来週の出張の件、新幹線の切符を手配しました。\n",
        "出張の手配について", ("佐藤花子", "sato@example.jp"), "utf-8", BASE64,
        base + timedelta(minutes=45)))

    messages.append(shift_jis(
        "明日の天気は晴れのち曇りです。\n",
        "【お知らせ】明日の天気", ("お天気サービス", "weather@example.jp"),
        base + timedelta(hours=1)))

    report = EmailMessage()
    report["From"] = "Build Server <ci@example.com>"
    report["To"] = "demo@example.com"
    report["Subject"] = "Nightly report (attached)"
    report["Date"] = format_datetime(base + timedelta(hours=2))
    report["Importance"] = "high"
    report["X-Priority"] = "1 (Highest)"
    report.set_content("All 412 tests passed. The full log is attached.\n")
    report.add_attachment(b"ok 1\nok 2\n", maintype="text", subtype="plain", filename="report.txt")
    messages.append(report)

    # International mail in UTF-8, with encoded words as mailers send them: Q for mostly-Latin
    # text, B for the rest.
    international = [
        ("Bonjour,\n\nLa réunion de jeudi est déplacée à 15h, salle Müller.\n\nJosé\n",
         "Réunion à 15h", ("José Müller", "jose@example.fr"), QP),
        ("Don't miss it 🎉 — only today.\n",
         "🎉 Sale ends today! 50% off 🛍️", ("Shop", "news@shop.example.com"), BASE64),
        ("안녕하세요.\n\n요청하신 견적서를 첨부합니다.\n会议通知：关于周五前提交报告。\n",
         "견적서 보내드립니다", ("김민준", "minjun@example.kr"), BASE64),
    ]
    for hours, (text, subject, sender, encoding) in enumerate(international, start=3):
        messages.append(encoded_mail(text, subject, sender, "utf-8", encoding,
                                     base + timedelta(hours=hours)))

    stamp = int(time.time())
    for i, msg in enumerate(messages):
        data = msg if isinstance(msg, bytes) else msg.as_bytes()
        data = data.replace(b"\r\n", b"\n")
        name = "%d.M%dP%d.postwink-sample" % (stamp + i, i, os.getpid())
        tmp = os.path.join(maildir, "tmp", name)
        with open(tmp, "wb") as f:
            f.write(data)
        os.chmod(tmp, 0o666)
        os.rename(tmp, os.path.join(maildir, "new", name))
    print(len(messages))


if __name__ == "__main__":
    main()
