#!/usr/bin/env bash
# A real check against a private Dovecot on loopback: the first check after start-up fetches
# every message and logs the conversation with the password masked; the tray icon comes up; a
# wrong password shows in the tool tip with SOKIGERR=1 and in a message box titled "ｴﾗｰ - " and
# the mailbox name with SOKIGERR=0, never twice at once; leaving through the tray menu removes the
# temporary folder.
E2E_DOVECOT=1
source "$(dirname "$0")/lib/common.bash"

TEMP=$(temp_dir)
E2E_CLEANUP_EXTRA='rm -rf "${TEMP}Postwink"'
LOG=$E2E_WORK/Postwink.log
MAILBOX=Box

count=$(sample_mailbox)
good_pass=$(scramble "$POSTWINK_DOVECOT_PASS")
check "the command-line tool scrambles the password" test -n "$good_pass"

write_config() {  # SOKIGERR, scrambled password[, mail program]
  write_ini '[Postwink]' 'LOG=1' 'START_RUN=1' "SOKIGERR=$1" "MUA=${3:-}" '' \
    '[SERVER1]' "MAILBOX=$MAILBOX" 'POP3=127.0.0.1' "PORT=$POSTWINK_DOVECOT_PORT" \
    "USER=$POSTWINK_DOVECOT_USER" "PASS=$2" 'TIMER=10' 'ENABLE=1'
}
log_has() { grep -aqF -- "$1" "$LOG" 2>/dev/null; }
wait_log() {  # text, seconds
  local i
  for ((i = 0; i < $2 * 5; i++)); do
    log_has "$1" && return 0
    sleep 0.2
  done
  return 1
}
tray_position() {  # sets X and Y of Wine's tray window
  local tray
  tray=$(xdotool search --name 'Wine System Tray' 2>/dev/null | head -n 1)
  [ -n "$tray" ] || return 1
  eval "$(xdotool getwindowgeometry --shell "$tray")"
}

# --- 0. the command-line checker on the Windows side ------------------------------------------
write_config 1 "$good_pass"
(cd "$E2E_WORK" && wine_run "$E2E_BUILD/postwink-cli.exe" check --ini Postwink.ini --json) |
  tr -d '\r' >"$E2E_ARTIFACTS/cli-check.json"
check "postwink-cli.exe checks the mailbox" grep -qF '"status":"ok"' "$E2E_ARTIFACTS/cli-check.json"
check "postwink-cli.exe lists every message" \
  test "$(grep -o '"subject"' "$E2E_ARTIFACTS/cli-check.json" | wc -l)" -eq "$count"
check "postwink-cli.exe decodes the Japanese subjects" grep -qF '会議の議事録' "$E2E_ARTIFACTS/cli-check.json"

# --- 1. every message on the first check --------------------------------------------------
write_config 1 "$good_pass" 'C:\no\such\mailer.exe'
start_program
hwnd=$(main_window)
check "the program is running" test -n "$hwnd"
check "the check ends with QUIT" wait_log 'QUIT' 60
sleep 1
check "the log has the separator" log_has '--------------------------------'
check "the log has the name lookup" log_has 'gethostbyname...'
check "the log has the connect" log_has 'connect...'
check "the log has the user name" log_has "USER $POSTWINK_DOVECOT_USER"
check "the password is masked in the log" log_has 'PASS ****'
check "the password itself is not in the log" bash -c "! grep -aqF 'PASS $POSTWINK_DOVECOT_PASS' '$LOG'"
check "the server's replies are logged" log_has "[$MAILBOX] +OK"
check "all $count messages are fetched" test "$(grep -ac 'RETR ' "$LOG")" -eq "$count"
check "the icon is in the system tray" has_window --title 'Wine System Tray' --timeout 15000
sleep 1
screenshot tray-new-mail
if tray_position; then
  # New mail: the icon steps through its frames until the user acknowledges it.
  pictures=$(for _ in 1 2 3 4 5 6 7 8; do
    import -window root -crop 20x20+$((X))+$((Y)) png:- 2>/dev/null | md5sum
    sleep 0.13
  done | sort -u | wc -l)
  check "the tray icon animates" test "$pictures" -gt 1
  # The mail program that cannot be started says so, with the system's code.
  drv post "$hwnd" 0x111 32881 0 >/dev/null
  box=$(drv find --class '#32770' --contains 'メーラー起動に失敗しました(' --timeout 15000 |
    awk '{print $1; exit}')
  check "a mail program that cannot start gives its message" test -n "$box"
  if [ -n "$box" ]; then
    drv post "$box" 0x111 1 0 >/dev/null
    drv gone "$box" --timeout 10000 >/dev/null
  fi
  xdotool mousemove $((X + 10)) $((Y + 10)) click 3
  menu=$(drv find --class '#32768' --visible 1 --timeout 10000 | awk '{print $1; exit}')
  check "a right click opens the tray menu" test -n "$menu"
  sleep 1
  screenshot tray-menu-after-check
  # Up from no selection goes to the last item, "終了" (exit).
  xdotool key Up
  sleep 0.5
  xdotool key Return
else
  fail "the tray is an X window"
fi
check "the exit item ends the program" wait_exit "$PROGRAM_PID" 30
check "the temporary folder is removed" test ! -e "${TEMP}Postwink"
cp "$LOG" "$E2E_ARTIFACTS/first-check.log" 2>/dev/null

# --- 2. a wrong password with SOKIGERR=1: the tool tip, no box --------------------------------
write_config 1 "$(scramble wrong-password)"
start_program
hwnd=$(main_window)
check "the program is running again" test -n "$hwnd"
check "the refused login is logged" wait_log '-ERR' 60
sleep 2
check "no error box with SOKIGERR=1" no_window --title "ｴﾗｰ - $MAILBOX"
if tray_position; then
  # Moving over the icon brings up its tool tip (a window of Wine's tray).
  for i in 1 2 3 4 5 6; do
    xdotool mousemove $((X + 8 + i)) $((Y + 8))
    sleep 0.2
  done
  tip_text=
  for _ in $(seq 20); do
    for tip in $(drv find --class tooltips_class32 --visible 1 | awk '{print $1}'); do
      tip_text+=$(drv text "$tip")
    done
    [ -n "$tip_text" ] && break
    sleep 0.5
  done
  printf '%s\n' "$tip_text" >"$E2E_ARTIFACTS/tool-tip.txt"
  check "the tool tip reports the receive error for the mailbox" \
    grep -qF "Postwink 受信エラー！：$MAILBOX" "$E2E_ARTIFACTS/tool-tip.txt"
  screenshot tray-error-tip
else
  fail "the tray is an X window"
fi
[ -n "$hwnd" ] && check "the program exits" exit_program "$hwnd"
cp "$LOG" "$E2E_ARTIFACTS/wrong-password.log" 2>/dev/null

# --- 3. the same with SOKIGERR=0: a box titled "ｴﾗｰ - " and the mailbox name -----------------
write_config 0 "$(scramble wrong-password)"
start_program
hwnd=$(main_window)
box=$(drv find --title "ｴﾗｰ - $MAILBOX" --timeout 60000 | awk '{print $1; exit}')
check "the error box is titled with the mailbox name" test -n "$box"
sleep 0.5
screenshot error-box
if [ -n "$box" ]; then
  # Check now while the box is open: the account fails again, and its box is not stacked on
  # the one already showing.
  drv post "$hwnd" 0x111 32773 0 >/dev/null
  for _ in $(seq 100); do
    [ "$(grep -acF "[$MAILBOX] -ERR" "$LOG")" -ge 2 ] && break
    sleep 0.2
  done
  check "check now with the box open fails again" test "$(grep -acF "[$MAILBOX] -ERR" "$LOG")" -ge 2
  sleep 1
  check "the same failure gives no second box" \
    test "$(drv find --title "ｴﾗｰ - $MAILBOX" | wc -l)" -eq 1
  drv post "$box" 0x111 1 0 >/dev/null  # its OK button
  check "the box closes" drv gone "$box" --timeout 10000
  sleep 1
  check "no box follows it" no_window --title "ｴﾗｰ - $MAILBOX"
fi
[ -n "$hwnd" ] && check "the program exits" exit_program "$hwnd"
finish
