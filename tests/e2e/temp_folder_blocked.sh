#!/usr/bin/env bash
# A file named "Postwink" where the temporary folder belongs: the program shows its message box
# and ends, and the settings file, never read, is not written either.
source "$(dirname "$0")/lib/common.bash"

write_ini '[Postwink]' 'LOG=0' '; hand-written comment'
cp "$E2E_WORK/Postwink.ini" "$E2E_WORK/Postwink.ini.before"
TEMP=$(temp_dir)
rm -rf "${TEMP}Postwink"
echo "not a folder" >"${TEMP}Postwink"
E2E_CLEANUP_EXTRA='rm -rf "${TEMP}Postwink"'

start_program
# "テンポラリファイル作成に失敗しました。" (creating the temporary file failed)
box=$(drv find --class '#32770' --contains 'テンポラリファイル作成に失敗しました。' --timeout 30000 |
  awk '{print $1; exit}')
check "the message box appears" test -n "$box"
if [ -n "$box" ]; then
  sleep 1
  screenshot message-box
  drv text "$box" >"$E2E_ARTIFACTS/message-box.txt"
  check "no main window was made" test "$(drv find --class '#32770' --title Postwink | wc -l)" -eq 1
  check "no tray icon was made" no_window --class PostwinkTrayWnd
  drv post "$box" 0x111 1 0 >/dev/null  # the OK button
fi
check "the program ends after the box" wait_exit "$PROGRAM_PID" 30
check "the file in the way is left alone" test -f "${TEMP}Postwink"
check "the settings file is not written" cmp -s "$E2E_WORK/Postwink.ini" "$E2E_WORK/Postwink.ini.before"
finish
