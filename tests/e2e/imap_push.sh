#!/usr/bin/env bash
# An IMAP account with push in Postwink.exe against the private Dovecot: the account waits with
# IDLE on a connection of its own, and a message delivered meanwhile is announced (the list
# slides in with it) within two seconds of its delivery, which the test measures and prints; a
# second delivery adds only itself, and a second push account's delivery comes through its own
# connection. After a resume the connections are opened afresh once the network is usable (new
# sign-ins on the server, new IDLEs), not while the network is known down, and mail delivered
# after it is announced once; a network change reopens them as well. While the server is down the
# tray shows the error state, which ends once both connections idle again. The list with the
# pushed message is an artefact (imap-push.png).
E2E_DOVECOT=1
source "$(dirname "$0")/lib/common.bash"

TEMP=$(temp_dir)
E2E_CLEANUP_EXTRA='rm -rf "${TEMP}Postwink"'
LOG=$E2E_WORK/Postwink.log
INBOX=$POSTWINK_DOVECOT_MAIL/$POSTWINK_IMAP_USER/Maildir
OTHER=$POSTWINK_DOVECOT_MAIL/$POSTWINK_DOVECOT_USER/Maildir
WM_POWERBROADCAST=0x218
PBT_APMRESUMEAUTOMATIC=0x12
WM_NETWORK_CHANGED=0x8012
WM_ASSUME_NETWORK=0x8013
BOUND_MS=2000

# The server's count of sign-ins of the IMAP user.
server_logins() { grep -c "imap-login: .*Login: user=<$POSTWINK_IMAP_USER>" "$POSTWINK_DOVECOT_LOG"; }
# Milliseconds since midnight of a log stamp "HH:MM:SS_mmm" or of now.
stamp_ms() { awk -F'[:_.]' '{ print (($1 * 60 + $2) * 60 + $3) * 1000 + $4 }' <<<"$1"; }
now_ms() { stamp_ms "$(date +%H:%M:%S.%3N)"; }
# Delivers a message and waits for its announcement (the Nth); prints the milliseconds between.
deliver_and_time() {  # subject, announcement count[, maildir]
  local from line i
  from=$(now_ms)
  deliver_to_maildir "${3:-$INBOX}" "$1"
  for ((i = 0; i < 300; i++)); do
    [ "$(log_count 'new mail announced')" -ge "$2" ] && break
    sleep 0.02
  done
  line=$(grep -a 'new mail announced' "$LOG" | sed -n "${2}p")
  [ -n "$line" ] || return 1
  echo $(($(stamp_ms "${line%%: *}") - from))
}
row_of() { grep -cF -- "$2" <<<"$(rows "$1")"; }
wait_logins() {  # count: until the server has seen that many sign-ins, or 20 seconds
  for _ in $(seq 100); do
    [ "$(server_logins)" -ge "$1" ] && return 0
    sleep 0.2
  done
  return 1
}
wait_rows() {  # list, count: until it shows that many rows, or 10 seconds
  for _ in $(seq 50); do
    [ "$(row_count "$1")" -ge "$2" ] && return 0
    sleep 0.2
  done
  return 1
}
# The tray icon's tool tip, brought up by moving the mouse over the icon in Wine's tray.
tray_tip() {
  local tray X Y i tip text=
  tray=$(xdotool search --name 'Wine System Tray' 2>/dev/null | head -n 1)
  [ -n "$tray" ] || return 1
  eval "$(xdotool getwindowgeometry --shell "$tray")"
  xdotool mousemove 400 200
  for i in 1 2 3 4 5 6; do
    xdotool mousemove $((X + 8 + i)) $((Y + 8))
    sleep 0.2
  done
  for _ in $(seq 20); do
    for tip in $(drv find --class tooltips_class32 --visible 1 | awk '{print $1}'); do
      text+=$(drv text "$tip" | tr -d '\r')
    done
    [ -n "$text" ] && break
    sleep 0.5
  done
  xdotool mousemove 400 200
  printf '%s\n' "$text"
}

write_ini '[Postwink]' 'LOG=1' 'START_RUN=1' 'DISP_SEC=600' 'USE_SOUND=0' '' \
  '[SERVER1]' 'MAILBOX=Push' 'POP3=127.0.0.1' "PORT=$POSTWINK_IMAP_PORT" \
  "USER=$POSTWINK_IMAP_USER" "PASS=$(scramble "$POSTWINK_IMAP_PASS")" 'TIMER=10' 'ENABLE=1' \
  'PROTOCOL=1' '' \
  '[SERVER2]' 'MAILBOX=Other' 'POP3=127.0.0.1' "PORT=$POSTWINK_IMAP_PORT" \
  "USER=$POSTWINK_DOVECOT_USER" "PASS=$(scramble "$POSTWINK_DOVECOT_PASS")" 'TIMER=10' \
  'ENABLE=1' 'PROTOCOL=1'

start_program
main=$(main_window)
check "the program is running" test -n "$main"
xdotool mousemove 400 200
check "both push accounts wait with IDLE" wait_log_count 'IDLE' 2 60
check "it does not sign out after the first look" test "$(log_count 'LOGOUT')" -eq 0
check "nothing is announced from an empty mailbox" test "$(log_count 'new mail announced')" -eq 0

# --- a delivery while it idles slides the list in -------------------------------------------
ms=$(deliver_and_time 'Pushed while idling' 1)
echo "     delivery to announcement: ${ms:-never} ms"
check "the pushed message is announced" test -n "$ms"
check "within ${BOUND_MS} ms of its delivery" test "${ms:-99999}" -le $BOUND_MS
list=$(list_window 10000)
check "the list slides in" test -n "$list"
[ -n "$list" ] || finish
screenshot imap-push-screen
crop_list imap-push "$list"
check "it lists the pushed message" test "$(row_of "$list" 'Pushed while idling')" -eq 1
check "and then idles again" wait_log_count 'IDLE' 3 30

# --- a second delivery adds only itself -----------------------------------------------------
ms2=$(deliver_and_time 'Second push' 2)
echo "     delivery to announcement: ${ms2:-never} ms"
check "the second message is announced" test -n "$ms2"
wait_rows "$list" 2
rows "$list" >"$E2E_ARTIFACTS/rows-after-second-push.txt"
check "the list holds two rows" test "$(row_count "$list")" -eq 2
check "the first message is not listed twice" test "$(row_of "$list" 'Pushed while idling')" -eq 1
check "the second message once" test "$(row_of "$list" 'Second push')" -eq 1
check "one sign-in so far" test "$(server_logins)" -eq 1

ms=$(deliver_and_time 'For the other account' 3 "$OTHER")
echo "     delivery to announcement (second account): ${ms:-never} ms"
check "the second account's delivery is announced" test -n "$ms"
wait_rows "$list" 3
check "and listed under its mailbox" \
  grep -qP '\tOther\t.*For the other account' <<<"$(rows "$list")"

# --- resume while the network is down: the connection waits, then is opened afresh ----------
idles=$(log_count 'IDLE')
drv post "$main" $WM_ASSUME_NETWORK 2 0 >/dev/null
drv post "$main" $WM_POWERBROADCAST $PBT_APMRESUMEAUTOMATIC 0 >/dev/null
check "the resume is noticed" wait_log_count 'resumed from sleep: waiting for the network' 1 30
check "the network is seen down" wait_log_count 'network not usable yet' 1 30
check "no new connection while it is down" \
  test "$(server_logins) $(log_count 'push connections: reconnecting')" = "1 0"
drv post "$main" $WM_ASSUME_NETWORK 1 0 >/dev/null
check "the push connection is opened again once it is up" \
  wait_log_count 'push connections: reconnecting' 1 30
wait_logins 2
check "the server sees a new sign-in" test "$(server_logins)" -eq 2
check "both idle again" wait_log_count 'IDLE' $((idles + 2)) 30
check "nothing is announced again" test "$(log_count 'new mail announced')" -eq 3
ms3=$(deliver_and_time 'After the resume' 4)
echo "     delivery to announcement after the resume: ${ms3:-never} ms"
check "mail after the resume is announced" test -n "$ms3"
wait_rows "$list" 4
check "and listed once, beside the others" \
  test "$(row_of "$list" 'After the resume') $(row_count "$list")" = "1 4"

# --- a network change opens them afresh too, and announces nothing again ---------------------
drv post "$main" $WM_NETWORK_CHANGED 0 0 >/dev/null
check "a network change reopens the push connections" \
  wait_log_count 'push connections: reconnecting' 2 30
wait_logins 3
check "with a new sign-in" test "$(server_logins)" -eq 3
check "both idle again after it" wait_log_count 'IDLE' $((idles + 4)) 30
check "and nothing is announced twice" test "$(log_count 'new mail announced') $(row_count "$list")" = "4 4"

# --- the server goes away: the error state until the connections idle again -----------------
failures=$(log_count '] push: ')
"$POSTWINK_DOVECOT_RESTART" stop
check "both connections notice the server is gone" wait_log_count '] push: ' $((failures + 2)) 30
tip=$(tray_tip)
echo "     tool tip while the server is down: $(head -n 1 <<<"$tip")"
check "the tray's tool tip names a failing account" \
  grep -qE '^Postwink 受信エラー！：(Push|Other)$' <<<"$(head -n 1 <<<"$tip")"
idles=$(log_count 'IDLE')
"$POSTWINK_DOVECOT_RESTART" start
check "both idle again once it is back" wait_log_count 'IDLE' $((idles + 2)) 60
tip=$(tray_tip)
check "and the error state has ended" test "$(head -n 1 <<<"$tip")" = Postwink

check "the program sends no command that changes the mailbox" \
  bash -c "! grep -aE '\] a[0-9]+ (UID )?(STORE|EXPUNGE|COPY|MOVE|APPEND|SELECT)([[:space:]]|\$)' '$LOG'"
started=$(now_ms)
check "the program exits with the connection open" exit_program "$main"
echo "     exit took $(($(now_ms) - started)) ms"
cp "$LOG" "$E2E_ARTIFACTS/imap-push.log" 2>/dev/null
finish
