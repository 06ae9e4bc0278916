#!/usr/bin/env python3
"""postwink-cli parse on messages in many scripts and character sets: every character must come
out as itself, natively and in the Windows build under Wine.

usage: scripts_cli_test.py [EMULATOR...] POSTWINK_CLI
"""
import json
import os
import subprocess
import sys

CLI = sys.argv[1:]
DATA = os.path.join(os.path.dirname(os.path.abspath(__file__)), "..", "data", "scripts")

# file, what it holds, From, Subject, body (without its last line break), attachment name or None.
# The Japanese sets read WAVE DASH and its kin as Windows reads Shift_JIS 0x8160: U+FF5E.
CASES = [
    ('latin.eml', 'Latin with accents, Q and B words, quoted-printable UTF-8',
     'José Müller <jose@example.com>', 'Réunion à 15h',
     'Ça va très bien, merci.', None),
    ('emoji.eml', 'emoji with joiner sequences, base64 UTF-8 body, RFC 2231 name',
     '"Shop" <shop@example.com>', '🎉 Sale ends today! 50% off 👩\u200d💻',
     "Don't miss it 🎉 — only today. 👨\u200d👩\u200d👧", '🎉 Party.png'),
    ('chinese.eml', 'simplified Chinese in GB2312',
     '王伟 <wang@example.cn>', '会议通知：关于周五前提交',
     '请在周五前提交报告。', '报告.docx'),
    ('korean.eml', 'Korean in EUC-KR and UTF-8',
     '김민준 <kim@example.kr>', '견적서 보내드립니다',
     '안녕하세요. 견적서를 첨부합니다.', '견적서.xlsx'),
    ('greek.eml', 'Greek in ISO-8859-7',
     'Νίκος <nikos@example.gr>', 'Καλημέρα σας',
     'Γειά σου κόσμε', None),
    ('thai.eml', 'Thai in UTF-8 and windows-874',
     'สมชาย <somchai@example.th>', 'สวัสดีครับ',
     'ขอบคุณครับ', None),
    ('iso-2022-jp.eml', 'mixed Japanese in ISO-2022-JP with half-width katakana and JIS X 0212',
     '山田太郎 <yamada@example.jp>', '会議のお知らせ～明日 ABC',
     '明日１０時から会議です。ｱｲｳｴ 丂', '議事録.pdf'),
    ('shift-jis.eml', 'Shift_JIS body and name',
     '佐藤 <sato@example.jp>', '見積書の件',
     'お世話になっております。～①', '見積書.xls'),
    ('euc-jp.eml', 'EUC-JP body with JIS X 0212',
     '<suzuki@example.jp>', 'ＥＵＣ－ＪＰの件名～',
     '本文です。丂', None),
]

failures = []
files = [os.path.join(DATA, c[0]) for c in CASES]
p = subprocess.run([*CLI, "parse", *files], capture_output=True, timeout=300)
if p.returncode != 0:
    sys.exit("postwink-cli parse failed: %s" % p.stderr.decode("utf-8", "replace"))
records = json.loads(p.stdout.decode("utf-8"))
for (name, what, sender, subject, body, attachment), got in zip(CASES, records):
    names = [part["name"] for part in got["parts"] if part["name"]]
    shown = {"from": got["from"], "subject": got["subject"],
             "body": (got["body"] or "").rstrip("\r\n"), "attachment": names[0] if names else None}
    wanted = {"from": sender, "subject": subject, "body": body, "attachment": attachment}
    for field, value in wanted.items():
        if shown[field] != value:
            failures.append("%s (%s) %s: %r, expected %r" % (name, what, field, shown[field], value))

for f in failures:
    print("FAIL", f)
print("%d messages, %d failures" % (len(CASES), len(failures)))
sys.exit(1 if failures else 0)
