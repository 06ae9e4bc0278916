#!/usr/bin/env bash
# An IMAP account polled by Postwink.exe against the private Dovecot's IMAP listener: the first
# check lists the unseen messages of INBOX and of a second folder, never the read ones, and
# leaves every flag on the server as it was (the program only looks); a later check adds only
# what arrived since; the accounts page shows the account's protocol, folders and push. The list
# after the check and the page are artefacts (imap-list-after-check.png,
# settings-account-imap.png).
E2E_DOVECOT=1
source "$(dirname "$0")/lib/common.bash"

TEMP=$(temp_dir)
E2E_CLEANUP_EXTRA='rm -rf "${TEMP}Postwink"'
LOG=$E2E_WORK/Postwink.log
INBOX=$POSTWINK_DOVECOT_MAIL/$POSTWINK_IMAP_USER/Maildir
LISTS=$INBOX/.Lists

deliver() { deliver_to_maildir "$@"; }  # maildir, subject[, flags]
# The Maildir flags of every message file of a folder, sorted ("-" for none).
flags() {  # maildir
  find "$1/new" "$1/cur" -type f -printf '%f\n' |
    awk -F':2,' '{ print (NF > 1 && $2 != "") ? $2 : "-" }' | sort | tr '\n' ' '
}

count=$(sample_mailbox_of "$INBOX")
deliver "$INBOX" 'Already read in INBOX' S
deliver "$LISTS" 'Weekly digest of the list'
deliver "$LISTS" 'Already read in Lists' S
inbox_flags=$(flags "$INBOX")
lists_flags=$(flags "$LISTS")

write_ini '[Postwink]' 'LOG=1' 'START_RUN=1' 'DISP_SEC=600' 'USE_SOUND=0' '' \
  '[SERVER1]' 'MAILBOX=Imap' 'POP3=127.0.0.1' "PORT=$POSTWINK_IMAP_PORT" \
  "USER=$POSTWINK_IMAP_USER" "PASS=$(scramble "$POSTWINK_IMAP_PASS")" 'TIMER=10' 'ENABLE=1' \
  'PROTOCOL=1' 'PUSH=0' 'FOLDERS=INBOX, Lists'

start_program
main=$(main_window)
check "the program is running" test -n "$main"
xdotool mousemove 400 200
check "the check signs out with LOGOUT" wait_log_count 'LOGOUT' 1 60
list=$(list_window 30000)
check "the list window opens after the check" test -n "$list"
[ -n "$list" ] || finish
sleep 1
rows "$list" >"$E2E_ARTIFACTS/rows-after-check.txt"
expected=$((count + 1))
check "it lists the $expected unseen messages of both folders" \
  test "$(row_count "$list")" -eq "$expected"
check "the unseen message of the second folder is listed" \
  grep -qF 'Weekly digest of the list' "$E2E_ARTIFACTS/rows-after-check.txt"
check "the Japanese subjects are decoded" grep -qF '会議の議事録' "$E2E_ARTIFACTS/rows-after-check.txt"
check "no read message is listed" bash -c "! grep -qF 'Already read' '$E2E_ARTIFACTS/rows-after-check.txt'"
check "the message with an attachment has its button" \
  grep -qP 'Nightly report \(attached\)\t[^\t]+\t<10>\t<8>' "$E2E_ARTIFACTS/rows-after-check.txt"
screenshot imap-list-after-check-screen
crop_list imap-list-after-check "$list"
check "the folders were opened read-only" test "$(log_count 'EXAMINE')" -ge 2
# The program's own commands are the tagged lines that are not a server's answer.
check "the program sends no command that changes the mailbox" \
  bash -c "! grep -aE '\] a[0-9]+ (UID )?(STORE|EXPUNGE|COPY|MOVE|APPEND|SELECT)([[:space:]]|\$)' '$LOG'"
check "its commands are logged" grep -aqE '\] a[0-9]+ UID FETCH .*BODY\.PEEK' "$LOG"
check "INBOX's flags are unchanged" test "$(flags "$INBOX")" = "$inbox_flags"
check "the second folder's flags are unchanged" test "$(flags "$LISTS")" = "$lists_flags"

# --- a later check adds only what arrived since --------------------------------------------
deliver "$LISTS" 'Arrived after the first check'
lists_flags=$(flags "$LISTS")
drv post "$main" 0x111 32773 0 >/dev/null  # check now
check "the second check signs out too" wait_log_count 'LOGOUT' 2 60
for _ in $(seq 50); do
  [ "$(row_count "$list")" -ge $((expected + 1)) ] && break
  sleep 0.2
done
rows "$list" >"$E2E_ARTIFACTS/rows-after-second-check.txt"
check "the second check adds the one new message" test "$(row_count "$list")" -eq $((expected + 1))
check "the new message is listed once" \
  test "$(grep -cF 'Arrived after the first check' "$E2E_ARTIFACTS/rows-after-second-check.txt")" -eq 1
check "no flag changed on the second check" \
  test "$(flags "$INBOX") / $(flags "$LISTS")" = "$inbox_flags / $lists_flags"
cp "$LOG" "$E2E_ARTIFACTS/imap.log" 2>/dev/null

# --- the accounts page shows the account as IMAP, with its folders and without push -----------
drv post "$main" 0x111 32880 0 >/dev/null  # the settings sheet
sheet=$(sheet_window)
check "the settings sheet opens" test -n "$sheet"
if [ -n "$sheet" ]; then
  text_of() { drv gettext "$sheet" "$1" | tr -d '\r'; }
  check "the protocol is IMAP" test "$(text_of 1056)" = IMAP
  check "the folders are shown" test "$(text_of 1057)" = 'INBOX, Lists'
  check "push is off" test "$(drv checked "$sheet" 1058 | tr -d '\r')" = 0
  xdotool mousemove 1 1
  sleep 0.5
  read -r l t r b _ < <(out rect "$sheet")
  import -window root -crop $((r - l))x$((b - t))+$l+$t +repage \
    "$E2E_ARTIFACTS/settings-account-imap.png" 2>/dev/null || fail "screenshot settings-account-imap"
  drv post "$sheet" 0x111 2 0 >/dev/null  # Cancel
  check "the sheet closes" drv gone "$sheet" --timeout 10000
fi
check "the program exits" exit_program "$main"
finish
