#!/usr/bin/env bash
# Times the first check of an IMAP folder of COUNT unseen corpus messages over a link with
# DELAY_MS each way (../shared/bench/latency_proxy.py in front of the test Dovecot that
# scripts/with-servers.sh starts): postwink-cli check, which sends a folder's UID FETCH commands
# together under their own tags, beside a lock-step client on Python's imaplib (one UID FETCH per
# message, each waiting for its answer, asking for the same items), best of RUNS.
#   scripts/bench-imap-latency.sh
# Environment: RUNS (3), DELAY_MS (20), COUNT (1000), BENCH_DATA, BENCH_CORPUS, SHARED_BENCH as
#   for scripts/bench-pop3-latency.sh.
set -euo pipefail
RUNS="${RUNS:-3}"
DELAY_MS="${DELAY_MS:-20}"
COUNT="${COUNT:-1000}"
source "$(dirname "$0")/bench-setup.bash" "$COUNT"
export BENCH_SHARED="$shared" BENCH_CORPUS_DIR="$corpus" BENCH_CLI="$cli" RUNS DELAY_MS COUNT
"$root/scripts/with-servers.sh" python3 -c '
import imaplib, json, os, socket, subprocess, sys, tempfile, time

shared, corpus, cli = os.environ["BENCH_SHARED"], os.environ["BENCH_CORPUS_DIR"], os.environ["BENCH_CLI"]
runs, delay, count = int(os.environ["RUNS"]), os.environ["DELAY_MS"], int(os.environ["COUNT"])
user, password = os.environ["POSTWINK_IMAP_USER"], os.environ["POSTWINK_IMAP_PASS"]
maildir = os.path.join(os.environ["POSTWINK_DOVECOT_MAIL"], user, "Maildir")
names = sorted(n for n in os.listdir(corpus) if not n.startswith("."))[:count]
if len(names) < count:
    sys.exit("the corpus holds only %d messages" % len(names))
for i, name in enumerate(names):
    tmp = os.path.join(maildir, "tmp", "%d.bench%d" % (1600000000 + i, i))
    with open(os.path.join(corpus, name), "rb") as src, open(tmp, "wb") as dst:
        dst.write(src.read())
    os.rename(tmp, os.path.join(maildir, "new", os.path.basename(tmp)))

s = socket.socket(); s.bind(("127.0.0.1", 0)); proxy_port = s.getsockname()[1]; s.close()
proxy = subprocess.Popen([sys.executable, shared + "/latency_proxy.py", "--listen", str(proxy_port),
                          "--target", "127.0.0.1:" + os.environ["POSTWINK_IMAP_PORT"],
                          "--delay-ms", delay, "--seconds", "7200"], stdout=subprocess.PIPE, text=True)
proxy.stdout.readline()
work = tempfile.mkdtemp()
ini = os.path.join(work, "Postwink.ini")
scrambled = subprocess.run([cli, "password", "scramble", password], capture_output=True,
                           text=True).stdout.strip()
with open(ini, "w", newline="") as f:
    f.write("[Postwink]\r\nLOG=0\r\n[SERVER1]\r\nMAILBOX=bench\r\nPOP3=127.0.0.1\r\nPORT=%d\r\n"
            "USER=%s\r\nPASS=%s\r\nENABLE=1\r\nPROTOCOL=1\r\nPUSH=0\r\n" % (proxy_port, user, scrambled))

def postwink():
    start = time.perf_counter()
    out = subprocess.run([cli, "check", "--ini", ini, "--json"], capture_output=True)
    wall = time.perf_counter() - start
    items = len(json.loads(out.stdout)["items"]) if out.returncode == 0 else -1
    if items != count:
        sys.exit("postwink-cli listed %d items, expected %d: %s" % (items, count, out.stderr))
    return wall

def lockstep():
    start = time.perf_counter()
    m = imaplib.IMAP4("127.0.0.1", proxy_port)
    m.login(user, password)
    m.select("INBOX", readonly=True)
    uids = m.uid("SEARCH", None, "UNSEEN")[1][0].split()
    for uid in uids:
        m.uid("FETCH", uid, "(UID FLAGS RFC822.SIZE BODYSTRUCTURE BODY.PEEK[HEADER] "
              "BODY.PEEK[TEXT]<0.65536>)")
    m.logout()
    if len(uids) != count:
        sys.exit("imaplib saw %d unseen messages, expected %d" % (len(uids), count))
    return time.perf_counter() - start

best = peer = None
for _ in range(runs):
    t = postwink(); best = t if best is None else min(best, t)
    t = lockstep(); peer = t if peer is None else min(peer, t)
proxy.kill()
print()
print("first IMAP check of %d unseen messages through a %s ms each-way link, best of %d runs "
      "(%d CPUs)" % (count, delay, runs, os.cpu_count()))
print("postwink pipelined %.2f s, imaplib lock-step %.2f s, speed-up %.1fx" % (best, peer, peer / best))
'
