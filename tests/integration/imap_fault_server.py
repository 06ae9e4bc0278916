#!/usr/bin/env python3
"""A scripted IMAP server that misbehaves on request, for the integration tests.

Listens on 127.0.0.1 only. A test first sends one JSON object (one line) to the control port
describing the next sessions (see DEFAULTS), waits for "OK", then lets the client connect to the
IMAP port. "TRANSCRIPT" on the control port returns the command lines received in the last
session as a JSON list. Answers are templates in which {tag} is the command's tag.
"""

import argparse
import json
import socket
import socketserver
import threading
import time

SESSION_LIMIT = 60
HEADER = ("From: sender@example.com\r\nTo: user@example.com\r\nSubject: fault message\r\n"
          "Date: Mon, 1 Jan 2024 10:00:00 +0900\r\nMessage-Id: <f1@fault.test>\r\n\r\n")
TEXT = "first line of the text\r\nsecond line\r\n"


def fetch_answer(text_literal):
    return ("* 1 FETCH (UID 7 FLAGS () RFC822.SIZE 300 BODYSTRUCTURE (\"text\" \"plain\" NIL NIL "
            "NIL \"7bit\" 40 2) BODY[HEADER] {%d}\r\n%s BODY[TEXT]<0> %s)\r\n{tag} OK Fetch done\r\n"
            % (len(HEADER), HEADER, text_literal))


DEFAULTS = {
    "greeting": "* OK [CAPABILITY IMAP4rev1 LITERAL+ AUTH=PLAIN] fault server ready",
    "answers": {
        "CAPABILITY": "* CAPABILITY IMAP4rev1 AUTH=PLAIN\r\n{tag} OK done\r\n",
        "LOGIN": "{tag} OK Logged in\r\n",
        "EXAMINE": "* 1 EXISTS\r\n* OK [UIDVALIDITY 5] ok\r\n* OK [UIDNEXT 8] ok\r\n"
                   "{tag} OK [READ-ONLY] done\r\n",
        "UID SEARCH": "* SEARCH 7\r\n{tag} OK done\r\n",
        "UID FETCH": fetch_answer("{%d}\r\n%s" % (len(TEXT), TEXT)),
        "LOGOUT": "* BYE bye\r\n{tag} OK done\r\n",
    },
    "split": 0,               # send every answer in pieces of this many bytes, pausing between
    "huge_literal_mb": 0,     # UID FETCH: a text literal of this many megabytes
    "exists_flood": 0,        # EXAMINE: this many "* n EXISTS" lines before the answer
    "bye_at": None,           # a command: answered with an untagged BYE and the close
    "silent_at": None,        # a command: never answered, the connection stays open
}

lock = threading.Lock()
scenario = dict(DEFAULTS)
last_transcript = []


class ImapHandler(socketserver.StreamRequestHandler):
    def send(self, text):
        data = text.encode("latin-1")
        step = scenario["split"]
        if step:
            for i in range(0, len(data), step):
                self.wfile.write(data[i:i + step])
                self.wfile.flush()
                time.sleep(0.002)
        else:
            self.wfile.write(data)
            self.wfile.flush()

    def huge_fetch(self, tag):
        size = scenario["huge_literal_mb"] << 20
        head, _, tail = fetch_answer("{%d}\r\n" % size).replace("{tag}", tag).partition(
            "BODY[TEXT]<0> {%d}\r\n" % size)
        self.send(head + "BODY[TEXT]<0> {%d}\r\n" % size)
        line = ("x" * 78 + "\r\n").encode()
        block = line * 512
        sent = 0
        while sent + len(block) <= size:
            self.wfile.write(block)
            sent += len(block)
        self.wfile.write(b"y" * (size - sent))
        self.send(tail)

    def handle(self):
        global last_transcript
        self.request.settimeout(SESSION_LIMIT)
        transcript = []
        with lock:
            last_transcript = transcript
        self.send(scenario["greeting"] + "\r\n")
        try:
            while True:
                raw = self.rfile.readline()
                if not raw:
                    return
                line = raw.decode("latin-1").rstrip("\r\n")
                transcript.append(line)
                tag, _, rest = line.partition(" ")
                words = rest.split(" ")
                verb = words[0].upper()
                if verb == "UID" and len(words) > 1:
                    verb = "UID " + words[1].upper()
                if verb == scenario["bye_at"]:
                    self.send("* BYE going away\r\n")
                    return
                if verb == scenario["silent_at"]:
                    time.sleep(SESSION_LIMIT)
                    return
                if verb == "EXAMINE" and scenario["exists_flood"]:
                    for n in range(scenario["exists_flood"]):
                        self.wfile.write(b"* %d EXISTS\r\n" % (n + 1))
                if verb == "UID FETCH" and scenario["huge_literal_mb"]:
                    self.huge_fetch(tag)
                    continue
                answer = scenario["answers"].get(verb, "{tag} BAD unknown command\r\n")
                self.send(answer.replace("{tag}", tag))
                if verb == "LOGOUT":
                    return
        except (OSError, socket.timeout):
            return


class ControlHandler(socketserver.StreamRequestHandler):
    def handle(self):
        global scenario
        line = self.rfile.readline().decode().strip()
        if line == "TRANSCRIPT":
            with lock:
                self.wfile.write((json.dumps(last_transcript) + "\n").encode())
            return
        request = json.loads(line)
        merged = dict(DEFAULTS)
        merged["answers"] = dict(DEFAULTS["answers"])
        merged["answers"].update(request.pop("answers", {}))
        merged.update(request)
        with lock:
            scenario = merged
        self.wfile.write(b"OK\n")


class Server(socketserver.ThreadingTCPServer):
    allow_reuse_address = True
    daemon_threads = True


def main():
    ap = argparse.ArgumentParser()
    ap.add_argument("--port", type=int, required=True)
    ap.add_argument("--control-port", type=int, required=True)
    ap.add_argument("--lifetime", type=int, default=900)
    args = ap.parse_args()
    imap = Server(("127.0.0.1", args.port), ImapHandler)
    control = Server(("127.0.0.1", args.control_port), ControlHandler)
    for server in (imap, control):
        threading.Thread(target=server.serve_forever, daemon=True).start()
    print("IMAP fault server on 127.0.0.1:%d, control %d" % (args.port, args.control_port),
          flush=True)
    time.sleep(args.lifetime)


if __name__ == "__main__":
    main()
