#!/usr/bin/env bash
# Times the first check of a mailbox of 300 and 1,000 corpus messages over a link with 20 ms
# each way (../shared/bench/latency_proxy.py in front of a local Dovecot): postwink-cli check,
# which pipelines where the server lists PIPELINING, beside the Python poplib peer (lock-step)
# through the same proxy, the runs interleaved, best of RUNS; and postwink-cli check --lock-step
# once, to show what the round trips cost.
#   scripts/bench-pop3-latency.sh
# Environment: RUNS (3), DELAY_MS (20), COUNTS ("300 1000"), BENCH_DATA (writable folder;
#   default build/bench-pop3), BENCH_CORPUS (an existing corpus folder to reuse),
#   SHARED_BENCH (default ../shared/bench beside the repository, or /work/shared/bench).
# Needs root (Dovecot) and the packages of scripts/setup.sh.
set -euo pipefail
RUNS="${RUNS:-3}"
DELAY_MS="${DELAY_MS:-20}"
read -r -a counts <<<"${COUNTS:-300 1000}"
largest=$(printf '%s\n' "${counts[@]}" | sort -n | tail -n 1)
source "$(dirname "$0")/bench-setup.bash" "$largest"

free_port() {
  python3 -c 'import socket; s=socket.socket(); s.bind(("127.0.0.1",0)); print(s.getsockname()[1]); s.close()'
}
port=$(free_port)
proxy_port=$(free_port)
password=benchpass
proxy_pid=""
work=$(mktemp -d)
cleanup() {
  [ -n "$proxy_pid" ] && kill "$proxy_pid" 2>/dev/null
  bash "$shared/dovecot/stop.sh" >&2 || true
  rm -rf "$work"
}
trap cleanup EXIT
BENCH_POP3_PORT=$port BENCH_POP3_PASSWORD=$password bash "$shared/dovecot/start.sh" \
  "${counts[@]/#/bench}" >&2
for c in "${counts[@]}"; do
  python3 "$shared/dovecot/load_maildir.py" "$corpus" "bench$c" "$c" >&2
done
python3 "$shared/latency_proxy.py" --listen "$proxy_port" --target "127.0.0.1:$port" \
  --delay-ms "$DELAY_MS" --seconds 7200 >"$work/proxy.log" 2>&1 &
proxy_pid=$!
for _ in $(seq 1 100); do grep -q READY "$work/proxy.log" && break; sleep 0.1; done

scrambled=$("$cli" password scramble "$password")
results=()
for c in "${counts[@]}"; do
  printf '[Postwink]\nLOG=0\n[SERVER1]\nMAILBOX=bench\nPOP3=127.0.0.1\nPORT=%s\nUSER=bench%s\nPASS=%s\nENABLE=1\n' \
    "$proxy_port" "$c" "$scrambled" >"$work/Postwink.ini"
  read -r piped lockstep peer_s < <(python3 - "$cli" "$work/Postwink.ini" "$RUNS" "$c" "$shared" \
    "$proxy_port" "$password" <<'PY'
import json, re, subprocess, sys, time
cli, ini, runs, count, shared, port, password = sys.argv[1:8]
runs, count = int(runs), int(count)

def postwink(*extra):
    start = time.perf_counter()
    out = subprocess.run([cli, "check", "--ini", ini, "--json", *extra], capture_output=True)
    wall = time.perf_counter() - start
    if out.returncode != 0:
        sys.exit("postwink-cli check failed: %s" % out.stderr.decode(errors="replace"))
    items = len(json.loads(out.stdout)["items"])
    if items != count:
        sys.exit("postwink-cli listed %d items, expected %d" % (items, count))
    return wall

def poplib():
    peer = subprocess.run([sys.executable, shared + "/peer_pop3.py", "--host", "127.0.0.1",
                           "--port", port, "--user", "bench%d" % count, "--password", password,
                           "--runs", "1", "--timeout", "600", "--name", "poplib"],
                          capture_output=True, text=True)
    m = re.search(r"^RESULT .* seconds=([0-9.]+)", peer.stdout, re.M)
    if not m:
        sys.exit("the poplib peer failed: %s" % peer.stderr)
    return float(m.group(1))

best, best_peer = None, None
for _ in range(runs):
    wall = postwink()
    best = wall if best is None else min(best, wall)
    seconds = poplib()
    best_peer = seconds if best_peer is None else min(best_peer, seconds)
lockstep = postwink("--lock-step")
print("%.3f %.3f %.3f" % (best, lockstep, best_peer))
PY
)
  results+=("$c $piped $lockstep $peer_s")
done

echo
echo "first check through a ${DELAY_MS} ms each-way link, best of $RUNS runs ($(nproc) CPUs)"
printf '%-9s %16s %18s %14s %9s\n' messages "postwink piped" "postwink lock-step" "poplib" speed-up
for r in "${results[@]}"; do
  read -r c piped lockstep peer_s <<<"$r"
  printf '%-9s %15ss %17ss %13ss %8.1fx\n' "$c" "$piped" "$lockstep" "$peer_s" \
    "$(python3 -c "print($peer_s/$piped)")"
done
