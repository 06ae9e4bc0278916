#!/usr/bin/env python3
"""A scripted POP3 server that misbehaves on request, for the integration tests.

Listens on 127.0.0.1 only. A test first sends one JSON object (one line) to the control port
describing the next sessions (the scenario, see DEFAULTS), waits for "OK", then lets the client
connect to the POP3 port. "TRANSCRIPT" on the control port returns the command lines received in
the last session as a JSON list. The whole server ends after --lifetime seconds; one session
after SESSION_LIMIT seconds.
"""

import argparse
import hashlib
import json
import socket
import socketserver
import ssl
import sys
import threading
import time

SESSION_LIMIT = 60
DEFAULTS = {
    "greeting": "+OK fault server ready <1896.697170952@fault.test>",
    "user": "fuser",
    "password": "fpass",
    "messages": None,        # list of message texts (CRLF line ends); None: three small ones
    "uidls": None,           # unique ids; None: "uid-<n>"
    "no_uidl": False,        # UIDL answered with -ERR
    "no_top": False,         # TOP answered with -ERR (true, or a list of message numbers)
    "no_list": False,        # LIST answered with -ERR
    "reject_stat": False,
    "deleted": None,         # numbers of the messages (and their uids) deleted since
    "drop_at": None,         # "CONNECT", a command name or whole command, or "RETR_BODY"
    "silent_at": None,       # same, but stay connected and say nothing more
    "uidl_extra": 0,         # UIDL lists this many more lines than STAT counts
    "byte_reads": False,     # send everything one byte at a time
    "endless_line": False,   # RETR/TOP: after +OK, a line that never ends
    "big_message_mb": 0,     # message 1 replaced by one of this many megabytes
    "list_size": None,       # size announced by LIST, whatever the message is
    "list_sizes": None,      # sizes announced by LIST, one per message
    "stat_count": None,      # count announced by STAT
    "quit_keeps_open": False,
    "quit_chatter": False,   # after the reply to QUIT, lines without end
    "endless_capa": False,   # CAPA answered with a listing without end
    "endless_text": None,    # numbers of messages whose RETR/TOP text has no end
    "capa": None,            # CAPA answers these lines; None: -ERR
    "stls": None,            # "refuse": -ERR; "accept": TLS (with --cert); None: unknown command
    "tls_close_at": None,    # a command: end TLS there (close_notify) unanswered, stay connected
    "trickle_at": None,      # a command whose reply (and all after it) comes a byte at a time
    "trickle_seconds": 0.3,  # the pause before each trickled byte
    "batch_seconds": None,   # gather the commands that come within this time, then answer all
}

tls_context = None
lock = threading.Lock()
scenario = dict(DEFAULTS)
last_transcript = []


def default_messages():
    out = []
    for n in range(1, 4):
        out.append("From: sender%d@example.com\r\nTo: user@example.com\r\nSubject: message %d\r\n"
                   "Date: Mon, 1 Jan 2024 10:0%d:00 +0900\r\nMessage-Id: <m%d@fault.test>\r\n\r\n"
                   "body line of message %d\r\n..dot-stuffed line\r\n" % (n, n, n, n, n))
    return out


class Pop3Handler(socketserver.BaseRequestHandler):
    def send(self, text):
        data = text.encode("latin-1") if isinstance(text, str) else text
        if self.trickling:
            for i in range(len(data)):
                if time.time() > self.deadline:
                    return
                time.sleep(self.sc["trickle_seconds"])
                self.request.sendall(data[i:i + 1])
        elif self.sc["byte_reads"]:
            for i in range(len(data)):
                self.request.sendall(data[i:i + 1])
                time.sleep(0.001)
        else:
            self.request.sendall(data)

    def line(self, text):
        self.send(text + "\r\n")

    def read_line(self):
        while b"\r\n" not in self.buf:
            if time.time() > self.deadline:
                return None
            try:
                chunk = self.request.recv(4096)
            except (socket.timeout, OSError):
                return None
            if not chunk:
                return None
            self.buf += chunk
        line, self.buf = self.buf.split(b"\r\n", 1)
        return line.decode("latin-1")

    def more_lines(self, seconds):
        """The complete lines that arrive within the time, without waiting for one."""
        lines = []
        end = time.time() + seconds
        while True:
            while b"\r\n" in self.buf:
                line, self.buf = self.buf.split(b"\r\n", 1)
                lines.append(line.decode("latin-1"))
            left = end - time.time()
            if left <= 0:
                return lines
            self.request.settimeout(left)
            try:
                chunk = self.request.recv(4096)
            except (socket.timeout, OSError):
                return lines
            finally:
                self.request.settimeout(SESSION_LIMIT)
            if not chunk:
                return lines
            self.buf += chunk

    def stop_here(self, point):
        """True when the session is to end (or fall silent) at this point."""
        if self.sc["drop_at"] == point:
            return True
        if self.sc["silent_at"] == point:
            self.wait_for_close()
            return True
        return False

    def wait_for_close(self):
        """Says nothing until the client closes or the session's time is up."""
        while time.time() < self.deadline:
            try:
                if not self.request.recv(4096):
                    break
            except (socket.timeout, OSError):
                break

    def endless_lines(self, line):
        """Sends the line again and again until the client goes or the session's time is up."""
        block = ((line + "\r\n") * 64).encode("latin-1")
        while time.time() < self.deadline:
            self.request.sendall(block)

    def tls_close(self):
        """Sends close_notify, waits for the client's, then stays connected until it goes."""
        try:
            self.request = self.request.unwrap()
        except (ssl.SSLError, OSError):
            return
        self.wait_for_close()

    def message(self, n):
        return self.messages[n - 1]

    def send_message(self, n, body_lines=None):
        if n in (self.sc["endless_text"] or []):
            self.line("+OK message follows")
            self.endless_lines("z" * 998)
            return False
        if self.sc["endless_line"]:
            self.line("+OK")
            chunk = b"x" * 65536
            sent = 0
            while sent < 64 << 20 and time.time() < self.deadline:
                self.send(chunk)
                sent += len(chunk)
            return False
        if n == 1 and self.sc["big_message_mb"]:
            self.line("+OK big message follows")
            head = ("From: big@example.com\r\nSubject: big\r\nMessage-Id: <big@fault.test>\r\n\r\n")
            self.send(head)
            row = ("y" * 998 + "\r\n").encode()
            if body_lines is not None:  # TOP: the header and as many lines as asked
                self.send(row * body_lines)
                self.line(".")
                return True
            block = row * 64
            total = self.sc["big_message_mb"] << 20
            sent = 0
            while sent < total:
                self.send(block)
                sent += len(block)
            self.line(".")
            return True
        text = self.message(n)
        if body_lines is not None:
            head, sep, body = text.partition("\r\n\r\n")
            lines = body.split("\r\n")
            text = head + sep + "\r\n".join(lines[:body_lines]) + ("\r\n" if body_lines else "")
        self.line("+OK message follows")
        if self.stop_here("RETR_BODY"):
            self.send(text[: len(text) // 2])
            return False
        self.send(text)
        self.line(".")
        return True

    def handle(self):
        global last_transcript
        with lock:
            self.sc = dict(scenario)
        self.messages = self.sc["messages"] if self.sc["messages"] is not None else default_messages()
        count = len(self.messages)
        uidls = self.sc["uidls"] or ["uid-%d" % (i + 1) for i in range(count)]
        if self.sc["deleted"]:
            kept = [i for i in range(count) if i + 1 not in self.sc["deleted"]]
            self.messages = [self.messages[i] for i in kept]
            uidls = [uidls[i] for i in kept]
            count = len(self.messages)
        self.buf = b""
        self.trickling = False
        self.deadline = time.time() + SESSION_LIMIT
        self.request.settimeout(SESSION_LIMIT)
        transcript = []
        with lock:
            last_transcript = transcript
        try:
            if self.stop_here("CONNECT"):
                return
            self.line(self.sc["greeting"])
            gathered = []
            while True:
                if not gathered:
                    first = self.read_line()
                    if first is None:
                        return
                    gathered = [first]
                    if self.sc["batch_seconds"]:
                        gathered += self.more_lines(self.sc["batch_seconds"])
                cmd = gathered.pop(0)
                transcript.append(cmd)
                word = cmd.split(" ")[0].upper()
                args = cmd.split(" ")[1:]
                if self.stop_here(word) or self.stop_here(cmd):
                    return
                if self.sc["tls_close_at"] in (word, cmd) and isinstance(self.request, ssl.SSLSocket):
                    self.tls_close()
                    return
                if word == self.sc["trickle_at"]:
                    self.trickling = True
                if word == "CAPA" and self.sc["endless_capa"]:
                    self.line("+OK capability list follows")
                    self.endless_lines("X-CAPABILITY")
                    return
                if word == "CAPA" and self.sc["capa"] is not None:
                    self.line("+OK capability list follows")
                    for capability in self.sc["capa"]:
                        self.line(capability)
                    self.line(".")
                elif word == "STLS" and self.sc["stls"] == "refuse":
                    self.line("-ERR TLS not available today")
                elif word == "STLS" and self.sc["stls"] == "accept" and tls_context:
                    self.line("+OK begin TLS")
                    self.request = tls_context.wrap_socket(self.request, server_side=True)
                    self.buf = b""
                elif word == "USER":
                    self.line("+OK" if args and args[0] == self.sc["user"] else "-ERR no such user")
                elif word == "PASS":
                    ok = " ".join(args) == self.sc["password"]
                    self.line("+OK logged in" if ok else "-ERR wrong password")
                elif word == "APOP":
                    greeting = self.sc["greeting"]
                    stamp = greeting[greeting.rfind("<"):greeting.rfind(">") + 1]
                    digest = hashlib.md5((stamp + self.sc["password"]).encode()).hexdigest()
                    ok = len(args) == 2 and args[0] == self.sc["user"] and args[1] == digest
                    self.line("+OK logged in" if ok else "-ERR authentication failed")
                elif word == "STAT":
                    if self.sc["reject_stat"]:
                        self.line("-ERR no STAT today")
                    else:
                        shown = self.sc["stat_count"] if self.sc["stat_count"] is not None else count
                        self.line("+OK %d %d" % (shown, sum(len(m) for m in self.messages)))
                elif word == "LIST":
                    n = int(args[0]) if args and args[0].isdigit() else 0
                    if self.sc["no_list"] or not 1 <= n <= count:
                        self.line("-ERR no such message")
                    else:
                        size = self.sc["list_size"]
                        if self.sc["list_sizes"] is not None:
                            size = self.sc["list_sizes"][n - 1]
                        if size is None:
                            size = (self.sc["big_message_mb"] << 20) if (n == 1 and self.sc["big_message_mb"]) else len(self.message(n))
                        self.line("+OK %d %d" % (n, size))
                elif word in ("RETR", "TOP"):
                    n = int(args[0]) if args and args[0].isdigit() else 0
                    no_top = self.sc["no_top"]
                    if isinstance(no_top, list):
                        no_top = n in no_top
                    if (word == "TOP" and no_top) or not 1 <= n <= count:
                        self.line("-ERR not available")
                    else:
                        lines = int(args[1]) if word == "TOP" and len(args) > 1 else None
                        if not self.send_message(n, lines):
                            return
                elif word == "UIDL":
                    if self.sc["no_uidl"]:
                        self.line("-ERR unknown command")
                    else:
                        self.line("+OK unique-id listing follows")
                        for i in range(count + self.sc["uidl_extra"]):
                            uid = uidls[i] if i < len(uidls) else "extra-%d" % (i + 1)
                            self.line("%d %s" % (i + 1, uid))
                        self.line(".")
                elif word == "QUIT":
                    self.line("+OK bye")
                    if self.sc["quit_chatter"]:
                        self.endless_lines("+OK still here")
                    if self.sc["quit_keeps_open"]:
                        self.wait_for_close()
                    return
                else:
                    self.line("-ERR unknown command")
        except (BrokenPipeError, ConnectionResetError, OSError):
            return


class ControlHandler(socketserver.StreamRequestHandler):
    def handle(self):
        global scenario
        line = self.rfile.readline().decode("utf-8").strip()
        if not line:
            return
        if line == "TRANSCRIPT":
            with lock:
                data = json.dumps(list(last_transcript))
            self.wfile.write((data + "\n").encode())
            return
        try:
            request = json.loads(line)
            unknown = set(request) - set(DEFAULTS)
            if unknown:
                raise ValueError("unknown keys %s" % sorted(unknown))
        except ValueError as e:
            self.wfile.write(("ERR %s\n" % e).encode())
            return
        with lock:
            scenario = dict(DEFAULTS)
            scenario.update(request)
        self.wfile.write(b"OK\n")


class Server(socketserver.ThreadingTCPServer):
    allow_reuse_address = True
    daemon_threads = True


def main():
    ap = argparse.ArgumentParser()
    ap.add_argument("--port", type=int, required=True)
    ap.add_argument("--control-port", type=int, required=True)
    ap.add_argument("--lifetime", type=int, default=900)
    ap.add_argument("--cert")
    ap.add_argument("--key")
    args = ap.parse_args()
    global tls_context
    if args.cert and args.key:
        tls_context = ssl.SSLContext(ssl.PROTOCOL_TLS_SERVER)
        tls_context.load_cert_chain(args.cert, args.key)
    pop3 = Server(("127.0.0.1", args.port), Pop3Handler)
    control = Server(("127.0.0.1", args.control_port), ControlHandler)
    for server in (pop3, control):
        threading.Thread(target=server.serve_forever, daemon=True).start()
    print("fault server on 127.0.0.1:%d, control %d" % (args.port, args.control_port), flush=True)
    time.sleep(args.lifetime)
    print("fault server: lifetime over", flush=True)
    sys.exit(0)


if __name__ == "__main__":
    main()
