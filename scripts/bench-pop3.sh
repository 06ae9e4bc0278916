#!/usr/bin/env bash
# Times the first check of a mailbox with 1,000 and N (10,000) corpus messages on a local
# Dovecot: postwink-cli check (release build; fetches, parses, filters and merges every message)
# side by side with the Python poplib peer of ../shared/bench, in the same run. Best of RUNS.
#   scripts/bench-pop3.sh
# Environment: N (10000), RUNS (3), BENCH_DATA (writable folder; default build/bench-pop3),
#   BENCH_CORPUS (an existing corpus folder to reuse; default: generated into BENCH_DATA),
#   SHARED_BENCH (default ../shared/bench beside the repository, or /work/shared/bench).
# Needs root (Dovecot) and the packages of scripts/setup.sh.
set -euo pipefail
N="${N:-10000}"
RUNS="${RUNS:-3}"
source "$(dirname "$0")/bench-setup.bash" "$N"

port=$(python3 -c 'import socket; s=socket.socket(); s.bind(("127.0.0.1",0)); print(s.getsockname()[1]); s.close()')
password=benchpass
counts=(1000 "$N")
trap 'bash "$shared/dovecot/stop.sh" >&2' EXIT
BENCH_POP3_PORT=$port BENCH_POP3_PASSWORD=$password bash "$shared/dovecot/start.sh" \
  "${counts[@]/#/bench}" >&2
for c in "${counts[@]}"; do
  python3 "$shared/dovecot/load_maildir.py" "$corpus" "bench$c" "$c" >&2
done

work=$(mktemp -d)
scrambled=$("$cli" password scramble "$password")
results=()
for c in "${counts[@]}"; do
  cat >"$work/Postwink.ini" <<INI
[Postwink]
LOG=0
[SERVER1]
MAILBOX=bench
POP3=127.0.0.1
PORT=$port
USER=bench$c
PASS=$scrambled
ENABLE=1
INI
  # Wall and CPU time of the whole postwink-cli process and the peer's session time, the runs
  # of both interleaved so that both see the same load; best of RUNS each.
  read -r wall cpu peer_s < <(python3 - "$cli" "$work/Postwink.ini" "$RUNS" "$c" "$shared" "$port" \
    "$password" <<'PY'
import json, re, resource, subprocess, sys, time
cli, ini, runs, count, shared, port, password = sys.argv[1:8]
runs, count = int(runs), int(count)
best, best_peer = None, None
for _ in range(runs):
    before = resource.getrusage(resource.RUSAGE_CHILDREN)
    start = time.perf_counter()
    out = subprocess.run([cli, "check", "--ini", ini, "--json"], capture_output=True)
    wall = time.perf_counter() - start
    after = resource.getrusage(resource.RUSAGE_CHILDREN)
    cpu = (after.ru_utime - before.ru_utime) + (after.ru_stime - before.ru_stime)
    if out.returncode != 0:
        sys.exit("postwink-cli check failed: %s" % out.stderr.decode(errors="replace"))
    items = len(json.loads(out.stdout)["items"])
    if items != count:
        sys.exit("postwink-cli listed %d items, expected %d" % (items, count))
    if best is None or wall < best[0]:
        best = (wall, cpu)
    peer = subprocess.run([sys.executable, shared + "/peer_pop3.py", "--host", "127.0.0.1",
                           "--port", port, "--user", "bench%d" % count, "--password", password,
                           "--runs", "1", "--name", "poplib"], capture_output=True, text=True)
    m = re.search(r"^RESULT .* seconds=([0-9.]+)", peer.stdout, re.M)
    if not m:
        sys.exit("the poplib peer failed: %s" % peer.stderr)
    seconds = float(m.group(1))
    best_peer = seconds if best_peer is None else min(best_peer, seconds)
print("%.3f %.3f %.3f" % (best[0], best[1], best_peer))
PY
)
  results+=("$c $wall $cpu $peer_s")
done
rm -rf "$work"

echo
echo "first check on local Dovecot, best of $RUNS runs, $(nproc) CPUs"
printf '%-9s %14s %14s %14s %9s\n' messages "postwink wall" "postwink CPU" "poplib wall" speed-up
for r in "${results[@]}"; do
  read -r c wall cpu peer_s <<<"$r"
  printf '%-9s %13ss %13ss %13ss %8.2fx\n' "$c" "$wall" "$cpu" "$peer_s" \
    "$(python3 -c "print($peer_s/$wall)")"
done
read -r _ w1 _ _ <<<"${results[0]}"
read -r _ w2 _ _ <<<"${results[1]}"
echo "ratio ${counts[1]}/${counts[0]} (postwink wall): $(python3 -c "print(round($w2/$w1, 2))")"
