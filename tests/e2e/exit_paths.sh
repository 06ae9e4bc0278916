#!/usr/bin/env bash
# The ways a run ends besides "終了" from an idle tray. The session's end (sign-out, shutdown,
# a restart for updates) does what the exit command does before the program answers it:
# settings written, the open list's column layout kept, the temporary folder gone; and it never
# refuses. Accounts taken with Apply reach the file at the next save even when the sheet is then
# cancelled. The exit command while a dialog of the sheet is open (the filter editor, a yes/no
# question) declines that dialog, cancels the sheet and ends the program, without spinning.
source "$(dirname "$0")/lib/common.bash"

TEMP=$(temp_dir)
E2E_CLEANUP_EXTRA='rm -rf "${TEMP}Postwink"'
INI=$E2E_WORK/Postwink.ini
APPLY=0x3021
WM_QUERYENDSESSION=0x11
WM_ENDSESSION=0x16
ENDSESSION_LOGOFF=0x80000000

ini_value() { tr -d '\r' <"$INI" | awk -F= -v s="[$1]" -v k="$2" \
  '/^\[/{in_s=($0==s)} in_s && $1==k {sub(/^[^=]*=/, ""); print; exit}'; }
absent() { ! grep -q "$1" "$INI"; }
apply_server() {  # server: the sheet opened from the tray menu ($sheet), the server typed, applied
  drv post "$hwnd" 0x111 32880 0 >/dev/null
  sheet=$(sheet_window)
  [ -n "$sheet" ] || return 1
  drv settext "$sheet" 1005 "$1" >/dev/null
  drv click "$sheet" $APPLY >/dev/null
}

# --- 1. the session ends with the list open and an account applied in the open sheet -----------
write_ini '[Postwink]' 'LOG=0' '' '[SERVER1]' 'MAILBOX=Work' 'POP3=old.example.org' 'PORT=110' \
  'USER=alice' 'ENABLE=0'
start_program
hwnd=$(main_window)
check "the program is running" test -n "$hwnd"
[ -n "$hwnd" ] || finish
check "the temporary folder exists" test -d "${TEMP}Postwink"
echo part >"${TEMP}Postwink/attachment.pdf"
check "the sheet opens and takes a server with Apply" apply_server new.example.org
# Posted after Apply's click to the same thread: handled after it.
drv post "$hwnd" 0x111 32771 0 >/dev/null  # the list (Apply would close it)
check "the list opens" test -n "$(list_window 10000)"
check "nothing is written yet" test -z "$(ini_value Window ReportCtrl2)"
check "the session's end is not refused" test "$(out send "$hwnd" $WM_QUERYENDSESSION 0 $ENDSESSION_LOGOFF)" != 0
# Windows may end the process as soon as the answer comes: everything is done by then.
out send "$hwnd" $WM_ENDSESSION 1 $ENDSESSION_LOGOFF >/dev/null
check "the session's end removes the temporary folder" test ! -e "${TEMP}Postwink"
check "and writes the settings" grep -q '^BG_RGB=' <(tr -d '\r' <"$INI")
check "and the list's column layout" test -n "$(ini_value Window ReportCtrl2)"
check "and the account Apply took" test "$(ini_value SERVER1 POP3)" = new.example.org
check "and the program ends" wait_exit "$PROGRAM_PID" 30
cp "$INI" "$E2E_ARTIFACTS/session-end.ini"

# --- 2. Apply, then Cancel: the applied account is saved at exit --------------------------------
start_program
hwnd=$(main_window)
check "the sheet opens again and takes a server with Apply" apply_server applied.example.org
if [ -n "$sheet" ]; then
  drv click "$sheet" 2 >/dev/null
  check "Cancel closes the sheet" drv gone "$sheet" --timeout 10000
fi
check "Cancel writes nothing" test "$(ini_value SERVER1 POP3)" = new.example.org

# --- 3. exit with the filter editor open over the sheet ----------------------------------------
drv post "$hwnd" 0x111 32880 0 >/dev/null
sheet=$(sheet_window)
if [ -n "$sheet" ]; then
  drv settext "$sheet" 1005 unsaved.example.org >/dev/null
  show_page "$sheet" 3 1036
  drv click "$sheet" 1019 >/dev/null
  editor=$(drv find --title 'フィルタ追加／編集' --visible 1 --timeout 10000 | awk '{print $1; exit}')
  check "the filter editor opens over the sheet" test -n "$editor"
fi
check "the exit command ends the program with the filter editor open" exit_program "$hwnd"
check "the account applied before Cancel is saved at exit" \
  test "$(ini_value SERVER1 POP3)" = applied.example.org
check "what the sheet held unapplied is not" absent unsaved.example.org
cp "$INI" "$E2E_ARTIFACTS/exit.ini"

# --- 4. exit while the sheet asks a question that has no Cancel ---------------------------------
start_program
hwnd=$(main_window)
drv post "$hwnd" 0x111 32880 0 >/dev/null
sheet=$(sheet_window)
if [ -n "$sheet" ]; then
  drv click "$sheet" 1028 >/dev/null  # delete the account: "yes" or "no"
  question=$(drv find --title Postwink --visible 1 --child 7 --timeout 10000 | awk '{print $1; exit}')
  check "the sheet asks before it deletes the account" test -n "$question"
fi
check "the exit command ends the program with the question open" exit_program "$hwnd"
check "the question was answered no" test "$(ini_value SERVER1 POP3)" = applied.example.org
finish
