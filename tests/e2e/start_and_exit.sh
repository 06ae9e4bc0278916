#!/usr/bin/env bash
# Start-up into the tray and exit from the tray menu: the main window is created hidden, the
# tray icon appears, the temporary folder exists while the program runs and is removed with
# everything in it at exit, and the settings file keeps what the program does not own.
source "$(dirname "$0")/lib/common.bash"

write_ini '[Postwink]' 'SOKIGERR=0' 'LOG=0' '' '[SERVER1]' 'MAILBOX=Test' 'POP3=127.0.0.1' \
  'PORT=110' 'USER=alice' '' '[Mine]' 'KEEP=this line'
TEMP=$(temp_dir)
rm -rf "${TEMP}Postwink"
E2E_CLEANUP_EXTRA='rm -rf "${TEMP}Postwink"'
# What a run that did not end normally left behind: the folder is reused.
mkdir -p "${TEMP}Postwink"
echo "left over" >"${TEMP}Postwink/left-over.txt"

start_program
hwnd=$(main_window)
check "the main window exists" test -n "$hwnd"
if [ -z "$hwnd" ]; then finish; fi
line=$(drv find --class '#32770' --title Postwink)
check "the main window is hidden" test "$(awk '{print $3}' <<<"$line")" = 0
check "the tray icon's window exists" has_window --class PostwinkTrayWnd --timeout 10000
check "the icon is in the system tray" has_window --title 'Wine System Tray' --timeout 10000
check "the temporary folder exists" test -d "${TEMP}Postwink"
check "a folder left by an earlier run is reused" test -f "${TEMP}Postwink/left-over.txt"
sleep 1
screenshot tray

# What a run leaves in the folder goes with it at exit, subfolders included.
mkdir -p "${TEMP}Postwink/sub"
echo dump >"${TEMP}Postwink/message.txt"
echo part >"${TEMP}Postwink/sub/attachment.bin"

check "the exit command ends the program" exit_program "$hwnd"
check "the temporary folder is removed" test ! -e "${TEMP}Postwink"
check "no window of the program is left" no_window --class PostwinkTrayWnd
ini=$(tr -d '\r' <"$E2E_WORK/Postwink.ini")
check "a hand-edited SOKIGERR survives the save" grep -qx 'SOKIGERR=0' <<<"$ini"
check "settings were written back at exit" grep -q '^BG_RGB=' <<<"$ini"
check "foreign sections stay" grep -qx 'KEEP=this line' <<<"$ini"
check "the accounts are not rewritten at exit" grep -qx 'USER=alice' <<<"$ini"
cp "$E2E_WORK/Postwink.ini" "$E2E_ARTIFACTS/"
finish
