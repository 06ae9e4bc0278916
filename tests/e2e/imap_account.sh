#!/usr/bin/env bash
# An IMAP account polled by Postwink.exe against the private Dovecot's IMAP listener: the first
# check lists the unseen messages of INBOX and of a second folder, never the read ones, and
# leaves every flag on the server as it was (the program only looks); a later check adds only
# what arrived since; the attachment menu of a message with two attachments lists their names
# from the server's structure, and opening one fetches that part alone and writes its bytes; the
# accounts page shows the account's protocol, folders and push. The list after the check, the
# attachment menu and the page are artefacts (imap-list-after-check.png,
# imap-attachment-menu.png, settings-account-imap.png).
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

# A message with two attachments: a binary one named by an encoded word, a text one by RFC 2231.
deliver_attached() {  # maildir
  python3 - "$1" "$E2E_WORK" <<'PY'
import base64, os, sys, time
maildir, work = sys.argv[1], sys.argv[2]
photo = bytes((i * 7 + i // 256) & 0xFF for i in range(100000))
open(os.path.join(work, 'photo.bin'), 'wb').write(photo)
name = '=?UTF-8?B?' + base64.b64encode('写真.bin'.encode()).decode() + '?='
b64 = base64.encodebytes(photo).decode().replace('\n', '\r\n')
text = ('From: Camera <camera@example.com>\r\nTo: demo@example.com\r\n'
        'Subject: Photos and report (two attachments)\r\nMessage-ID: <two@example.com>\r\n'
        'MIME-Version: 1.0\r\nContent-Type: multipart/mixed; boundary="b1"\r\n\r\n'
        '--b1\r\nContent-Type: text/plain; charset=utf-8\r\n\r\nSee the files.\r\n'
        '--b1\r\nContent-Type: application/octet-stream; name="' + name + '"\r\n'
        'Content-Transfer-Encoding: base64\r\nContent-Disposition: attachment\r\n\r\n' + b64 +
        '--b1\r\nContent-Type: text/plain; charset=utf-8\r\n'
        'Content-Transfer-Encoding: quoted-printable\r\n'
        "Content-Disposition: attachment; filename*=utf-8''%E5%A0%B1%E5%91%8A.txt\r\n\r\n"
        'Zeile 1: =C3=A4=C3=B6=C3=BC\r\nline =3D two\r\n--b1--\r\n')
base = '%d.two.e2e' % time.time()
open(os.path.join(maildir, 'tmp', base), 'w', newline='').write(text)
os.rename(os.path.join(maildir, 'tmp', base), os.path.join(maildir, 'new', base))
PY
}

count=$(sample_mailbox_of "$INBOX")
deliver "$INBOX" 'Already read in INBOX' S
deliver "$LISTS" 'Weekly digest of the list'
deliver_attached "$LISTS"
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
expected=$((count + 2))
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

# --- the attachment menu offers the parts the structure names; opening one fetches it ---------
keys() { local k; for k in "$@"; do drv key "$k" >/dev/null; done; }
DOWN=0x28 ENTER=0x0D
choose_attachment() {  # entry: the attachment menu's entry to choose, 1 for the first
  local row menu
  row=$(rows "$list" | grep -nF 'Photos and report' | cut -d: -f1 | awk '{print $1 - 1; exit}')
  # The list was shown without being activated: a first click may only activate it.
  for _ in 1 2 3; do
    click_cell "$list" "$row" 5
    menu=$(drv find --class '#32768' --visible 1 --timeout 3000 | awk '{print $1; exit}')
    [ -n "$menu" ] && break
  done
  [ -n "$menu" ] || return 1
  [ "$1" != 1 ] || { sleep 0.5; screenshot imap-attachment-menu-screen; crop_around imap-attachment-menu "$list" "$menu"; }
  for ((i = 0; i < $1; i++)); do keys $DOWN; done
  keys $ENTER
}
open_attachment() {  # entry: the attachment dialog's handle once it asks about the entry
  choose_attachment "$1" || return 1
  drv find --class '#32770' --title '添付ファイル' --visible 1 --timeout 30000 | awk '{print $1; exit}'
}
written() { find "${TEMP}Postwink" -mindepth 2 -maxdepth 2 -name "$1" | head -n 1; }
check "the message with two attachments has its button" \
  grep -qP 'Photos and report \(two attachments\)\t[^\t]*\t<10>' "$E2E_ARTIFACTS/rows-after-check.txt"
# Each entry opens in the attachment dialog under its decoded name, fetched alone (its section)
# and written with the original's bytes.
open_and_compare() {  # entry, name, section, file with the original bytes, what names it
  local dialog
  dialog=$(open_attachment "$1")
  check "attachment $1 opens in the attachment dialog" test -n "$dialog"
  [ -n "$dialog" ] || return
  out text "$dialog" >"$E2E_ARTIFACTS/imap-dialog-$1.txt"
  check "named as $5 says" grep -qF "ファイル ($2) を開きますか？" "$E2E_ARTIFACTS/imap-dialog-$1.txt"
  check "its part alone was fetched, read-only" \
    grep -aqE "\\] a[0-9]+ UID FETCH [0-9]+ \\(UID BODY\\.PEEK\\[$3\\]\\)" "$LOG"
  check "the file holds the attachment's bytes" cmp -s "$(written "$2")" "$4"
  drv post "$dialog" 0x111 2 0 >/dev/null  # ｷｬﾝｾﾙ
  check "cancel closes the dialog" drv gone "$dialog" --timeout 10000
}
open_and_compare 1 '写真.bin' 2 "$E2E_WORK/photo.bin" 'the encoded word'
printf 'Zeile 1: äöü\r\nline = two' >"$E2E_WORK/report.txt"
open_and_compare 2 '報告.txt' 3 "$E2E_WORK/report.txt" 'its RFC 2231 parameter (decoded from quoted-printable)'
check "each opening fetched its part once" \
  test "$(log_count 'UID BODY.PEEK[2])') $(log_count 'UID BODY.PEEK[3])')" = '1 1'
check "opening attachments changed no flag" test "$(flags "$INBOX") / $(flags "$LISTS")" = "$inbox_flags / $lists_flags"

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
# Another client deletes the message: opening its attachment says so, and writes nothing.
find "$LISTS/new" "$LISTS/cur" -name '*.two.e2e*' -delete
before=$(find "${TEMP}Postwink" -type f | wc -l)
box=$(choose_attachment 2 &&
  drv find --class '#32770' --visible 1 --contains 'ﾒｰﾙがｻｰﾊﾞにありません' --timeout 30000 |
  awk '{print $1; exit}')
check "an attachment of a message gone from the server reads as gone" test -n "$box"
[ -n "$box" ] && drv post "$box" 0x111 1 0 >/dev/null
check "and nothing is written" test "$(find "${TEMP}Postwink" -type f | wc -l)" -eq "$before"
cp "$LOG" "$E2E_ARTIFACTS/imap.log" 2>/dev/null

# --- the accounts page shows the account as IMAP, with its folders, without push, and its ------
# --- security modes in IMAP's words ------------------------------------------------------------
drv post "$main" 0x111 32880 0 >/dev/null  # the settings sheet
sheet=$(sheet_window)
check "the settings sheet opens" test -n "$sheet"
if [ -n "$sheet" ]; then
  text_of() { drv gettext "$sheet" "$1" | tr -d '\r'; }
  check "the protocol is IMAP" test "$(text_of 1056)" = IMAP
  check "the folders are shown" test "$(text_of 1057)" = 'INBOX, Lists'
  check "push is off" test "$(drv checked "$sheet" 1058 | tr -d '\r')" = 0
  wait_text() {  # id, text
    for _ in $(seq 50); do [ "$(text_of "$1")" = "$2" ] && return 0; sleep 0.2; done
    return 1
  }
  # The security modes read in IMAP's words, and in POP3's once POP3 is chosen.
  check "no security shows as none" test "$(text_of 1037)" = 'なし'
  drv select "$sheet" 1037 2 >/dev/null
  check "mode 2 of an IMAP account reads STARTTLS" wait_text 1037 STARTTLS
  drv select "$sheet" 1037 1 >/dev/null
  check "mode 1 reads IMAPS" wait_text 1037 'TLS (IMAPS)'
  xdotool mousemove 1 1
  sleep 0.5
  read -r l t r b _ < <(out rect "$sheet")
  import -window root -crop $((r - l))x$((b - t))+$l+$t +repage \
    "$E2E_ARTIFACTS/settings-account-imap.png" 2>/dev/null || fail "screenshot settings-account-imap"
  drv select "$sheet" 1056 0 >/dev/null  # POP3
  check "choosing POP3 names the same mode POP3S" wait_text 1037 'TLS (POP3S)'
  drv select "$sheet" 1037 2 >/dev/null
  check "mode 2 of a POP3 account reads STLS" wait_text 1037 STLS
  drv post "$sheet" 0x111 2 0 >/dev/null  # Cancel
  check "the sheet closes" drv gone "$sheet" --timeout 10000
fi
check "the program exits" exit_program "$main"
finish
