#!/usr/bin/env bash
# A second copy ends at once and silently: no window, no message, and the first copy's log is
# not deleted although the second was started with "-v".
source "$(dirname "$0")/lib/common.bash"

write_ini '[Postwink]' 'LOG=1'
TEMP=$(temp_dir)
E2E_CLEANUP_EXTRA='rm -rf "${TEMP}Postwink"'

start_program
first=$PROGRAM_PID
hwnd=$(main_window)
check "the first copy is running" test -n "$hwnd"
[ -n "$hwnd" ] || finish
# The first copy started a fresh log; this line stands for what it has written so far.
printf '12:00:00_000:entry of the first copy\r\n' >>"$E2E_WORK/Postwink.log"

start_program -v
second=$PROGRAM_PID
check "the second copy ends by itself" wait_exit "$second" 30
screenshot after-second
check "it leaves no second main window" \
  test "$(drv find --class '#32770' --title Postwink | wc -l)" -eq 1
check "it shows no message box" no_window --class '#32770' --visible 1
check "it leaves no second tray icon window" \
  test "$(drv find --class PostwinkTrayWnd | wc -l)" -eq 1
check "the first copy's log is untouched" grep -q 'entry of the first copy' "$E2E_WORK/Postwink.log"
check "the first copy still answers" has_window --class '#32770' --title Postwink

PROGRAM_PID=$first
check "the first copy exits from its tray menu" exit_program "$hwnd"
check "its temporary folder is removed" test ! -e "${TEMP}Postwink"
finish
