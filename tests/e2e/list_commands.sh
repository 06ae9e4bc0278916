#!/usr/bin/env bash
# What the user does with the messages in the list, in one run of the program against a private
# Dovecot: a right click opens the context menu, whose choice marks a message read; Ctrl+B gives
# a mixed selection the opposite of its first row; Del removes the selected rows; the attachment
# button offers a message's parts, writes the chosen one into a folder of its own in the
# temporary folder under a name Windows can hold (one name has a character code page 932 lacks
# and ":" and "?", the other an emoji, "..\" and "|") and asks in the attachment dialog;
# "保存..." copies it where the save dialog points; Ctrl+Enter starts the editor (a recording
# stand-in) with the message exported as a text file. Screenshots of the context menu, the attachment menu and the dialog are
# artefacts.
E2E_DOVECOT=1
source "$(dirname "$0")/lib/common.bash"

TEMP=$(temp_dir)
E2E_CLEANUP_EXTRA='rm -rf "${TEMP}Postwink"'
maildir=$POSTWINK_DOVECOT_MAIL/$POSTWINK_DOVECOT_USER/Maildir
count=$(sample_mailbox)
cp "$E2E_ROOT/tests/data/mail/odd_attachment_names.eml" "$maildir/tmp/odd.eml"
chmod 666 "$maildir/tmp/odd.eml"
mv "$maildir/tmp/odd.eml" "$maildir/new/$(date +%s).odd.postwink-e2e"
count=$((count + 1))
cp "$E2E_BUILD/tests/record_editor.exe" "$E2E_WORK/"
editor="Z:${E2E_WORK//\//\\}\\record_editor.exe"
pass=$(scramble "$POSTWINK_DOVECOT_PASS")
write_ini '[Postwink]' 'START_RUN=1' 'DISP_SEC=600' 'USE_SOUND=0' "EDITOR=$editor" '' \
  '[SERVER1]' 'MAILBOX=Demo' 'POP3=127.0.0.1' "PORT=$POSTWINK_DOVECOT_PORT" \
  "USER=$POSTWINK_DOVECOT_USER" "PASS=$pass" 'TIMER=10' 'ENABLE=1'

row_of() { rows "$1" | grep -nF -- "$2" | cut -d: -f1 | awk '{print $1 - 1; exit}'; }
open_menu() { drv find --class '#32768' --visible 1 --timeout "${1:-5000}" | awk '{print $1; exit}'; }
keys() { local k; for k in "$@"; do drv key "$k" >/dev/null; done; }
DOWN=0x28 ENTER=0x0D ESC=0x1B DEL=0x2E

start_program
main=$(main_window)
check "the program is running" test -n "$main"
xdotool mousemove 400 200
list=$(list_window 60000)
check "the list window opens after the check" test -n "$list"
[ -n "$list" ] || finish
for _ in $(seq 25); do [ "$(row_count "$list")" -eq "$count" ] && break; sleep 0.2; done
check "with the $count messages" test "$(row_count "$list")" -eq "$count"

# --- the context menu -------------------------------------------------------------------------
top=$(rows "$list" | head -n 1 | cut -f5)
click_cell "$list" 0 3
xy=$(out cell "$list" 0 3)
# shellcheck disable=SC2086
xdotool mousemove $xy click 3
menu=$(open_menu)
check "a right click opens the context menu" test -n "$menu"
sleep 0.5
screenshot context-menu-screen
[ -n "$menu" ] && crop_around context-menu "$list" "$menu"
# The editor, the mail program (greyed: no MUA), then "削除", then "既読/未読".
keys $DOWN $DOWN $DOWN $DOWN $ENTER
check "the menu closes with the choice" drv gone "$menu" --timeout 5000
for _ in $(seq 10); do [ "$(row_mark "$list" "$top" | cut -c1)" != B ] && break; sleep 0.2; done
check "its \"既読/未読\" marks the row read" test "$(row_mark "$list" "$top" | cut -c1)" != B

# --- Ctrl+B on a mixed selection ----------------------------------------------------------------
xy=$(out cell "$list" 2 3)
# shellcheck disable=SC2086
xdotool keydown shift mousemove $xy click 1 keyup shift
sleep 0.3
check "three rows are selected, the first read, the others not" \
  test "$(rows "$list" | head -n 3 | cut -f1 | tr '\n' ' ')" = "S BS BSF "
drv key 0x42 ctrl >/dev/null
sleep 0.3
check "Ctrl+B makes all three unread, the opposite of the first" \
  test "$(rows "$list" | head -n 3 | cut -f1 | cut -c1 | tr -d '\n')" = BBB
drv key 0x42 ctrl >/dev/null
sleep 0.3
check "and again all three read" \
  test "$(rows "$list" | head -n 3 | cut -f1 | grep -c '^B')" -eq 0

# --- Del ----------------------------------------------------------------------------------------
first=$(rows "$list" | sed -n 2p | cut -f5)
second=$(rows "$list" | sed -n 4p | cut -f5)
click_cell "$list" 1 3
xy=$(out cell "$list" 3 3)
# shellcheck disable=SC2086
xdotool keydown ctrl mousemove $xy click 1 keyup ctrl
sleep 0.3
drv key $DEL >/dev/null
for _ in $(seq 10); do [ "$(row_count "$list")" -eq $((count - 2)) ] && break; sleep 0.2; done
check "Del removes the two selected rows" test "$(row_count "$list")" -eq $((count - 2))
check "those two" test -z "$(row_mark "$list" "$first")$(row_mark "$list" "$second")"

# --- the attachment menu and dialog --------------------------------------------------------------
attach_menu() {  # opens the menu of the "Scanned documents" row
  local row
  row=$(row_of "$list" 'Scanned documents')
  click_cell "$list" "$row" 5
  open_menu
}
dialog_open() {  # the attachment dialog, waiting for it
  drv find --class '#32770' --title '添付ファイル' --visible 1 --timeout 10000 | awk '{print $1; exit}'
}
menu=$(attach_menu)
check "the attachment button opens the attachment menu" test -n "$menu"
sleep 0.5
screenshot attachment-menu-screen
[ -n "$menu" ] && crop_around attachment-menu "$list" "$menu"
keys $DOWN $ENTER
dialog=$(dialog_open)
check "the chosen part is offered in the attachment dialog" test -n "$dialog"
[ -n "$dialog" ] || finish
sleep 0.5
out text "$dialog" >"$E2E_ARTIFACTS/dialog.txt"
check "it asks about the file under a name Windows can hold" \
  grep -qF 'ファイル (_@scan_1_.txt) を開きますか？' "$E2E_ARTIFACTS/dialog.txt"
check "with its buttons" grep -qzF $'開く\n保存...\nｷｬﾝｾﾙ' "$E2E_ARTIFACTS/dialog.txt"
# Each attachment opened goes into a folder of its own inside the temporary folder.
written() { find "${TEMP}Postwink" -mindepth 2 -maxdepth 2 -name "$1" | head -n 1; }
extracted=$(written '_@scan_1_.txt')
check "the part is written into the temporary folder" test "$(cat "$extracted")" = $'first scan\r'
screenshot attachment-dialog-screen
crop_around attachment-dialog "$dialog"

mkdir -p "$E2E_WORK/saved"
drv post "$dialog" 0x111 1028 0 >/dev/null  # 保存...
save=$(drv find --class '#32770' --visible 1 --child 0x47c --timeout 15000 | awk '{print $1; exit}')
field=0x47c
if [ -z "$save" ]; then
  save=$(drv find --class '#32770' --visible 1 --child 0x480 --timeout 5000 | awk '{print $1; exit}')
  field=0x480
fi
check "\"保存...\" opens the save dialog" test -n "$save"
if [ -n "$save" ]; then
  drv settext "$save" "$field" "Z:${E2E_WORK//\//\\}\\saved\\scan.txt" >/dev/null
  drv post "$save" 0x111 1 0 >/dev/null
fi
check "the dialog closes after the save" drv gone "$dialog" --timeout 10000
check "the file is where the save dialog pointed" test "$(cat "$E2E_WORK/saved/scan.txt")" = $'first scan\r'
check "and the extracted copy is gone" test ! -e "$extracted"

menu=$(attach_menu)
keys $DOWN $DOWN $ENTER
dialog=$(dialog_open)
check "the second part is offered too" test -n "$dialog"
[ -n "$dialog" ] || finish
out text "$dialog" >"$E2E_ARTIFACTS/dialog2.txt"
check "under a name that keeps the emoji, without \"..\\\" or \"|\"" \
  grep -qF 'ファイル (😀 .._.._photo_2.jpg) を開きますか？' "$E2E_ARTIFACTS/dialog2.txt"
drv post "$dialog" 0x111 2 0 >/dev/null  # ｷｬﾝｾﾙ
check "cancel closes the dialog" drv gone "$dialog" --timeout 10000
check "and keeps the written file, all its bytes" \
  cmp -s "$(written '😀 .._.._photo_2.jpg')" <(printf '\0\1\2\377\376\0JFIF')
check "nothing was written outside the temporary folder" test ! -e "${TEMP}photo_2.jpg"

# --- the editor ------------------------------------------------------------------------------------
row=$(row_of "$list" '会議の議事録')
click_cell "$list" "$row" 3
drv key $ENTER ctrl >/dev/null
for _ in $(seq 50); do [ -f "$E2E_WORK/record_editor.cmdline" ] && break; sleep 0.2; done
check "Ctrl+Enter starts the editor" test -f "$E2E_WORK/record_editor.cmdline"
exported="$(wine_run winepath -w "${TEMP}Postwink" | tr -d '\r')\\会議の議事録.txt"
check "with the exported file, both paths quoted" \
  test "$(cat "$E2E_WORK/record_editor.cmdline")" = "\"$editor\" \"$exported\""
iconv -f CP932 -t UTF-8 "$E2E_WORK/record_editor.file" >"$E2E_ARTIFACTS/exported.txt"
check "the file holds the header block" \
  grep -qF $'Subject: 会議の議事録\r' "$E2E_ARTIFACTS/exported.txt"
check "and the decoded body" grep -qF '本日の会議の議事録をお送りします' "$E2E_ARTIFACTS/exported.txt"
check "every line ending in CR LF" \
  test "$(grep -c $'\r$' "$E2E_ARTIFACTS/exported.txt")" -eq "$(wc -l <"$E2E_ARTIFACTS/exported.txt")"
check "the row is read now" test "$(row_mark "$list" '会議の議事録' | cut -c1)" != B

check "the program exits" exit_program "$main"
finish
