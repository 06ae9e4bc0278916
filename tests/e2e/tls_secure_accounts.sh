#!/usr/bin/env bash
# Secure accounts on the Windows side, through SChannel, against the test Dovecot (ssl = required,
# certificates of a test authority that this test trusts in the Wine prefix for its run) and the
# fault server: POP3S and STLS succeed, a host name and IPv6 too; an untrusted, a misnamed and an
# expired certificate, a pinned fingerprint, TLS asked of a plain server and a refused STLS each
# end with their message and no credential reaching a server. Then the program itself checks a
# POP3S account and shows the error box of an untrusted one.
if [ -z "${E2E_SERVERS:-}" ]; then
  export E2E_SERVERS=1
  exec "$(cd "$(dirname "$0")/../.." && pwd)/scripts/with-servers.sh" bash "$0" "$@"
fi
source "$(dirname "$0")/lib/common.bash"

if [ -z "${POSTWINK_TLS_PORT:-}" ]; then
  fail "Dovecot is not available (scripts/setup.sh installs it)"
  finish
fi
LOG=$E2E_WORK/Postwink.log
pki=$(dirname "$POSTWINK_TLS_CA")
winpath() { printf 'Z:%s' "${1//\//\\}"; }
count=$(python3 "$E2E_ROOT/scripts/make_sample_mail.py" \
  "$POSTWINK_DOVECOT_MAIL/$POSTWINK_DOVECOT_USER/Maildir")
log_start=$(wc -c <"$POSTWINK_DOVECOT_LOG")

check "the test authority is trusted for this run" drv trust-ca "$(winpath "$POSTWINK_TLS_CA")"
E2E_CLEANUP_EXTRA='drv untrust-ca "$(winpath "$POSTWINK_TLS_CA")"'

fault() {  # one JSON request to the fault server's control port; prints its answer
  python3 - "$POSTWINK_FAULT_CONTROL_PORT" "$1" <<'PY'
import socket, sys
s = socket.create_connection(("127.0.0.1", int(sys.argv[1])))
s.sendall((sys.argv[2] + "\n").encode())
print(s.makefile().readline().strip())
PY
}
check "the fault server refuses STLS" test "$(fault '{"capa": ["STLS"], "stls": "refuse"}')" = OK

pass_stored=$(wine_run "$E2E_BUILD/postwink-cli.exe" password scramble "$POSTWINK_DOVECOT_PASS" | tr -d '\r\n')
fault_pass=$(wine_run "$E2E_BUILD/postwink-cli.exe" password scramble fpass | tr -d '\r\n')
account() {  # number mailbox server port security [fingerprint [user password]]
  printf '%s\n' "[SERVER$1]" "MAILBOX=$2" "POP3=$3" "PORT=$4" "USER=${7:-$POSTWINK_DOVECOT_USER}" \
    "PASS=${8:-$pass_stored}" 'ENABLE=1' "SECURITY=$5" "TLS_FINGERPRINT=${6:-}"
}
v6_host=127.0.0.2
[ "${POSTWINK_TLS_IPV6:-0}" = 1 ] && v6_host=::1
mapfile -t lines < <(
  printf '%s\n' '[Postwink]' 'LOG=1'
  account 1 pop3s 127.0.0.2 "$POSTWINK_TLS_POP3S_PORT" 1
  account 2 stls 127.0.0.2 "$POSTWINK_TLS_PORT" 2
  account 3 byname localhost "$POSTWINK_TLS_POP3S_PORT" 1
  account 4 ipv6 "$v6_host" "$POSTWINK_TLS_POP3S_PORT" 1
  account 5 untrusted 127.0.0.3 "$POSTWINK_TLS_POP3S_PORT" 1
  account 6 misnamed 127.0.0.4 "$POSTWINK_TLS_PORT" 2
  account 7 expired 127.0.0.5 "$POSTWINK_TLS_POP3S_PORT" 1
  account 8 pinned 127.0.0.3 "$POSTWINK_TLS_PORT" 2 "$POSTWINK_TLS_SELF_SIGNED_SHA256"
  account 9 plain 127.0.0.1 "$POSTWINK_DOVECOT_PORT" 1
  account 10 refused 127.0.0.1 "$POSTWINK_FAULT_PORT" 2 '' fuser "$fault_pass"
)
write_ini "${lines[@]}"

# --- 1. every case in one run of the command-line checker --------------------------------------
(cd "$E2E_WORK" && wine_run "$E2E_BUILD/postwink-cli.exe" check --ini Postwink.ini --json \
  >"$E2E_ARTIFACTS/check.json" 2>"$E2E_ARTIFACTS/check.stderr")
cp "$LOG" "$E2E_ARTIFACTS/check.log" 2>/dev/null
outcome() {  # mailbox: prints "status|error"
  python3 - "$E2E_ARTIFACTS/check.json" "$1" <<'PY'
import json, sys
for a in json.load(open(sys.argv[1], encoding="utf-8"))["accounts"]:
    if a["mailbox"] == sys.argv[2]:
        print(a["status"] + "|" + a.get("error", "").split("\n")[0])
PY
}
for box in pop3s stls byname ipv6 pinned; do
  check "$box: checked over TLS" test "$(outcome $box)" = 'ok|'
done
check "untrusted: the certificate is not trusted" test "$(outcome untrusted)" = 'failed|ｻｰﾊﾞ証明書が信頼できません'
check "misnamed: the name does not match" test "$(outcome misnamed)" = 'failed|ｻｰﾊﾞ証明書の名前がｻｰﾊﾞ名と一致しません'
check "expired: the certificate has expired" test "$(outcome expired)" = 'failed|ｻｰﾊﾞ証明書の有効期限が切れています'
check "plain: TLS asked of a plain server" test "$(outcome plain)" = 'failed|ｻｰﾊﾞがTLSで応答しません'
check "refused: STLS refused" test "$(outcome refused)" = 'failed|STLS が受け付けられませんでした'
listed() {  # mailbox: how many items it listed
  python3 - "$E2E_ARTIFACTS/check.json" "$1" <<'PY'
import json, sys
print(sum(1 for i in json.load(open(sys.argv[1], encoding="utf-8"))["items"] if i["mailbox"] == sys.argv[2]))
PY
}
for box in pop3s stls byname ipv6 pinned; do
  check "$box: every message is listed" test "$(listed $box)" -eq "$count"
done
transcript=$(fault TRANSCRIPT)
printf '%s\n' "$transcript" >"$E2E_ARTIFACTS/fault-transcript.json"
check "the fault server saw CAPA and STLS (and the QUIT), no credential" \
  test "$transcript" = '["CAPA", "STLS", "QUIT"]'
tail -c +"$((log_start + 1))" "$POSTWINK_DOVECOT_LOG" >"$E2E_ARTIFACTS/dovecot.log"
# 127.0.0.3 serves the self-signed certificate: only the pinned account may log in there.
check "no credential reached Dovecot over a refused certificate" \
  bash -c "! grep -E 'lip=127\\.0\\.0\\.[45],' '$E2E_ARTIFACTS/dovecot.log' | grep -q 'user=<[^>]' &&
           test \$(grep -c 'Login: user=<$POSTWINK_DOVECOT_USER>.*lip=127.0.0.3,' '$E2E_ARTIFACTS/dovecot.log') -eq 1"
check "logins over TLS are in Dovecot's log" grep -q "Login: user=<$POSTWINK_DOVECOT_USER>.*lip=127.0.0.2.*TLS" "$E2E_ARTIFACTS/dovecot.log"
check "the password is masked in the log" bash -c "! grep -aqF '$POSTWINK_DOVECOT_PASS' '$LOG'"

# --- 2. the program: a POP3S account, then the untrusted one's error box -------------------------
mapfile -t lines < <(
  printf '%s\n' '[Postwink]' 'LOG=1' 'START_RUN=1' 'SOKIGERR=0'
  # The first cycle checks the second account first.
  account 1 untrusted 127.0.0.3 "$POSTWINK_TLS_POP3S_PORT" 1
  account 2 secure 127.0.0.2 "$POSTWINK_TLS_POP3S_PORT" 1
)
write_ini "${lines[@]}"
rm -f "$LOG"
start_program
hwnd=$(main_window)
check "the program is running" test -n "$hwnd"
box=$(drv find --title 'ｴﾗｰ - untrusted' --timeout 60000 | awk '{print $1; exit}')
check "the untrusted account's error box appears" test -n "$box"
if [ -n "$box" ]; then
  drv text "$box" >"$E2E_ARTIFACTS/error-box.txt"
  check "the box says the certificate is not trusted" grep -qF 'ｻｰﾊﾞ証明書が信頼できません' "$E2E_ARTIFACTS/error-box.txt"
  sleep 0.5
  screenshot tls-untrusted-box
  drv post "$box" 0x111 1 0 >/dev/null
  drv gone "$box" --timeout 10000 >/dev/null
fi
check "the POP3S account fetched every message" test "$(grep -ac '\[secure\] RETR ' "$LOG")" -eq "$count"
check "the untrusted account sent nothing" bash -c "! grep -aq '\[untrusted\] ' '$LOG'"
cp "$LOG" "$E2E_ARTIFACTS/program.log" 2>/dev/null
[ -n "$hwnd" ] && check "the program exits" exit_program "$hwnd"
finish
