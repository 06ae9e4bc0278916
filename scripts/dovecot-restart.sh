#!/usr/bin/env bash
# Stops, or starts again, the private Dovecot of scripts/with-servers.sh, for tests of a server
# restart. Stopping ends the master and then every process it had started: an IMAP process in
# IDLE outlives its master and would keep the old connection alive, still reporting new mail.
#   scripts/dovecot-restart.sh stop|start
set -euo pipefail
conf=${POSTWINK_DOVECOT_CONF:?run it under scripts/with-servers.sh}
pidfile=$(dirname "$conf")/base/master.pid

descendants() {  # pid
  local child
  for child in $(pgrep -P "$1" || true); do
    echo "$child"
    descendants "$child"
  done
}

case "${1:-}" in
  stop)
    master=$(cat "$pidfile")
    mapfile -t started < <(descendants "$master")
    kill -TERM "$master"
    for _ in $(seq 1 50); do kill -0 "$master" 2>/dev/null || break; sleep 0.1; done
    kill -KILL "$master" 2>/dev/null || true
    for pid in "${started[@]}"; do kill -KILL "$pid" 2>/dev/null || true; done
    rm -f "$pidfile"
    ;;
  start)
    dovecot -c "$conf"
    for _ in $(seq 1 100); do
      if [ -s "$pidfile" ] && (exec 3<>"/dev/tcp/127.0.0.1/$POSTWINK_IMAP_PORT") 2>/dev/null; then
        exit 0
      fi
      sleep 0.1
    done
    echo "dovecot-restart: Dovecot did not come up" >&2
    exit 1
    ;;
  *)
    echo "usage: $0 stop|start" >&2
    exit 2
    ;;
esac
