#!/usr/bin/env python3
"""postwink-cli check against a small POP3 server of its own, run as a user runs it: one line per
account whatever the server says, and message dumps only in the user's private folder.

usage: check_cli_test.py POSTWINK_CLI
"""
import json
import os
import socket
import stat
import subprocess
import sys
import tempfile
import threading

CLI = sys.argv[1]
failures = []
MESSAGE = ("From: a@example.com\r\nSubject: dumped\r\nMessage-Id: <d1@cli.test>\r\n\r\n"
           "body\r\n")


def check(label, condition, detail=""):
    if not condition:
        failures.append(f"{label}: {detail}")


def serve(listener, greeting):
    """Answers each connection: the greeting, then a one-message mailbox."""
    while True:
        try:
            conn, _ = listener.accept()
        except OSError:
            return
        with conn:
            f = conn.makefile("rb")
            conn.sendall(greeting + b"\r\n")
            for raw in f:
                cmd = raw.rstrip(b"\r\n").decode("latin-1")
                word = cmd.split(" ")[0].upper()
                if word in ("USER", "PASS"):
                    reply = "+OK"
                elif word == "STAT":
                    reply = "+OK 1 %d" % len(MESSAGE)
                elif word == "LIST":
                    reply = "+OK 1 %d" % len(MESSAGE)
                elif word == "RETR":
                    reply = "+OK\r\n" + MESSAGE + "."
                elif word == "UIDL":
                    reply = "+OK\r\n1 u1\r\n."
                elif word == "QUIT":
                    try:
                        conn.sendall(b"+OK bye\r\n")
                        conn.shutdown(socket.SHUT_RDWR)
                    except OSError:
                        pass  # the client ended first
                    break
                else:
                    reply = "-ERR"
                conn.sendall(reply.encode("latin-1") + b"\r\n")


IMAP_HEADER = "From: a@example.com\r\nSubject: imap message\r\nMessage-Id: <i1@cli.test>\r\n\r\n"


def serve_imap(listener, _greeting):
    """An IMAP server with one unseen message in INBOX."""
    answers = {
        "LOGIN": "{tag} OK Logged in",
        "CAPABILITY": "* CAPABILITY IMAP4rev1\r\n{tag} OK",
        "EXAMINE": "* 3 EXISTS\r\n* OK [UIDVALIDITY 9] v\r\n* OK [UIDNEXT 5] n\r\n{tag} OK",
        "UID": "* SEARCH 4\r\n{tag} OK",
        "FETCH": ("* 3 FETCH (UID 4 FLAGS () RFC822.SIZE 99 BODY[HEADER] {%d}\r\n%s "
                  "BODY[TEXT]<0> {6}\r\nbody\r\n)\r\n{tag} OK" % (len(IMAP_HEADER), IMAP_HEADER)),
        "LOGOUT": "* BYE bye\r\n{tag} OK",
    }
    while True:
        try:
            conn, _ = listener.accept()
        except OSError:
            return
        with conn:
            f = conn.makefile("rb")
            conn.sendall(b"* OK [CAPABILITY IMAP4rev1] ready\r\n")
            for raw in f:
                tag, _, rest = raw.rstrip(b"\r\n").decode("latin-1").partition(" ")
                words = rest.split(" ")
                word = "FETCH" if words[:2] == ["UID", "FETCH"] else words[0].upper()
                answer = answers.get(word, "{tag} BAD what").replace("{tag}", tag)
                conn.sendall(answer.encode("latin-1") + b"\r\n")
                if word == "LOGOUT":
                    conn.shutdown(socket.SHUT_RDWR)
                    break


def start_server(greeting, handler=serve):
    listener = socket.socket()
    listener.bind(("127.0.0.1", 0))
    listener.listen(4)
    threading.Thread(target=handler, args=(listener, greeting), daemon=True).start()
    return listener


def stop_server(listener):
    """Wakes the accepting thread before closing: a closed descriptor left in accept() could
    otherwise take the connections of the next listener that gets its number."""
    try:
        listener.shutdown(socket.SHUT_RDWR)
    except OSError:
        pass
    listener.close()


def write_ini(path, port, log, extra=()):
    p = subprocess.run([CLI, "password", "scramble", "secret"], capture_output=True, timeout=30)
    stored = p.stdout.decode().strip()
    lines = ["[Postwink]", "LOG=%d" % log, "", "[SERVER1]", "MAILBOX=box", "POP3=127.0.0.1",
             "PORT=%d" % port, "USER=user", "PASS=" + stored, "ENABLE=1", *extra]
    with open(path, "w", newline="") as f:
        f.write("\r\n".join(lines) + "\r\n")


def check_run(ini, env=None, *extra):
    p = subprocess.run([CLI, "check", "--ini", ini, *extra], capture_output=True, timeout=60,
                       env=env)
    return p.returncode, p.stdout.decode("utf-8", "replace"), p.stderr.decode("utf-8", "replace")


work = tempfile.mkdtemp(prefix="postwink-check-test-")
try:
    ini = os.path.join(work, "Postwink.ini")

    # A failed login whose text holds line breaks and the server's control characters: still one
    # line for the account, and nothing the terminal would act on.
    server = start_server(b"-ERR busy \x1b[2J now")
    write_ini(ini, server.getsockname()[1], 0)
    code, out, err = check_run(ini)
    stop_server(server)
    lines = out.splitlines()
    check("a failed account exits 1", code == 1, f"{code} {err}")
    check("one line for the account", len(lines) == 1, repr(out))
    check("the line names the account and the failure",
          lines and lines[0].startswith("box: failed: ") and "-ERR busy" in lines[0], repr(out))
    check("no control characters reach the terminal", "\x1b" not in out, repr(out))

    # Message dumps with LOG=1: never into a folder another user made or can enter.
    tmp = os.path.join(work, "tmp")
    os.mkdir(tmp)
    planted = os.path.join(tmp, "Postwink")
    os.mkdir(planted)
    os.chmod(planted, 0o777)
    if os.geteuid() == 0:
        os.chown(planted, 65534, 65534)
    server = start_server(b"+OK ready")
    write_ini(ini, server.getsockname()[1], 1)
    env = dict(os.environ, TMPDIR=tmp)
    code, out, err = check_run(ini, env)
    stop_server(server)
    check("the check succeeds", code == 0, f"{code} {out} {err}")
    check("nothing is written into a folder that is not the user's", os.listdir(planted) == [],
          os.listdir(planted))
    private = os.path.join(tmp, "Postwink-%d" % os.geteuid())
    check("the private folder exists", os.path.isdir(private))
    if os.path.isdir(private):
        mode = stat.S_IMODE(os.stat(private).st_mode)
        check("the private folder is closed to others", mode == 0o700, oct(mode))
        dumps = os.listdir(private)
        check("the message is dumped there", len(dumps) == 1, dumps)

    # An IMAP account: --json in the same shape as for POP3.
    shapes = {}
    for name, handler, extra in (("pop3", serve, ()),
                                 ("imap", serve_imap, ("PROTOCOL=1", "PUSH=0"))):
        server = start_server(b"+OK ready", handler)
        write_ini(ini, server.getsockname()[1], 0, extra)
        code, out, err = check_run(ini, None, "--json")
        stop_server(server)
        check(name + " check succeeds", code == 0, f"{code} {out} {err}")
        try:
            result = json.loads(out)
        except ValueError:
            check(name + " prints JSON", False, out)
            continue
        shapes[name] = (sorted(result), sorted(result["accounts"][0]),
                        sorted(result["items"][0]) if result["items"] else None)
        if name == "imap":
            check("the IMAP account is ok", result["accounts"][0]["status"] == "ok", out)
            check("its count is the folder's", result["accounts"][0]["messages"] == 3, out)
            check("its message is listed", [i.get("subject") for i in result["items"]] ==
                  ["imap message"], out)
    check("IMAP's JSON has POP3's shape", shapes.get("pop3") == shapes.get("imap"), shapes)
finally:
    subprocess.run(["rm", "-rf", work])

for f in failures:
    print("FAIL", f)
print("check_cli_test: %d failure(s)" % len(failures))
sys.exit(1 if failures else 0)
