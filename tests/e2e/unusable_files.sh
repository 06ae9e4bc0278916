#!/usr/bin/env bash
# Files the program cannot use at start-up. A file named "Postwink" where the temporary folder
# belongs: the program shows its message box and ends, and the settings file, never read, is not
# written either. A settings file that another program holds open while Postwink starts: the
# program says so once, runs on its defaults, and leaves the file as it was at exit.
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
rm -f "${TEMP}Postwink"

# --- a settings file locked by another program at start-up ----------------------------------
write_ini '[Postwink]' 'LOG=0' 'SOKIGERR=0' 'START_RUN=0' '' '[SERVER1]' 'MAILBOX=Kept' \
  'USER=alice' '' '[Filter]' 'FILTER_NUM=1' 'FILTER0=1,2,0,0,0,0,0,0,' 'FILTER0_STR=spam'
cp "$E2E_WORK/Postwink.ini" "$E2E_WORK/Postwink.ini.before"
(cd "$E2E_WORK" && exec "$E2E_ROOT/scripts/wine-run.sh" "$E2E_BUILD/tests/e2e_driver.exe" \
  lock Postwink.ini 20000) >"$E2E_WORK/lock.out" &
locker=$!
E2E_PIDS+=("$locker")
for _ in $(seq 100); do
  grep -q locked "$E2E_WORK/lock.out" 2>/dev/null && break
  sleep 0.1
done
check "another program holds the settings file" grep -q locked "$E2E_WORK/lock.out"
start_program
# "設定ファイル(Postwink.ini)を読み込めませんでした。" (the settings file could not be read)
box=$(drv find --class '#32770' --contains '設定ファイル(Postwink.ini)を読み込めませんでした。' \
  --timeout 30000 | awk '{print $1; exit}')
check "the program says it could not read the settings" test -n "$box"
if [ -n "$box" ]; then
  sleep 1
  screenshot settings-unreadable
  drv post "$box" 0x111 1 0 >/dev/null
  drv gone "$box" --timeout 10000 >/dev/null
fi
hwnd=$(main_window)
check "the program runs all the same" test -n "$hwnd"
wait "$locker"
check "the file is free again before the program ends" test $? -eq 0
check "the message was shown once" no_window --class '#32770' --contains 'Postwink.ini'
[ -n "$hwnd" ] && check "the program exits" exit_program "$hwnd"
check "the settings file is left as it was" \
  cmp -s "$E2E_WORK/Postwink.ini" "$E2E_WORK/Postwink.ini.before"
cp "$E2E_WORK/Postwink.ini" "$E2E_ARTIFACTS/"
finish
