#!/usr/bin/env bash
# The tray menu as a user reaches it: a right click on the icon opens the menu, and its last
# item, "終了" (exit), ends the program, which removes its temporary folder. On the way, the
# About box of the menu's first command shows the program's version.
source "$(dirname "$0")/lib/common.bash"

write_ini '[Postwink]' 'LOG=0'
TEMP=$(temp_dir)
E2E_CLEANUP_EXTRA='rm -rf "${TEMP}Postwink"'

start_program
hwnd=$(main_window)
check "the program is running" test -n "$hwnd"
check "the icon is in the system tray" has_window --title 'Wine System Tray' --timeout 15000

# "Postwink について..." (command 16): the About box.
drv post "$hwnd" 0x111 16 0 >/dev/null
about=$(drv find --title 'Postwinkのﾊﾞｰｼﾞｮﾝ情報' --visible 1 --timeout 10000 | awk '{print $1; exit}')
check "the About box opens" test -n "$about"
if [ -n "$about" ]; then
  sleep 1
  screenshot about-box
  check "it shows the version of the build" grep -qxF "Postwink version :$(cat "$E2E_BUILD/version.txt")" \
    <(drv text "$about" | tr -d '\r')
  drv post "$about" 0x111 1 0 >/dev/null
  check "OK closes it" drv gone "$about" --timeout 10000
fi

sleep 1
tray=$(xdotool search --name 'Wine System Tray' 2>/dev/null | head -n 1)
check "the tray is an X window" test -n "$tray"
if [ -n "$tray" ]; then
  eval "$(xdotool getwindowgeometry --shell "$tray")"
  # The icon is the first one in Wine's tray window.
  xdotool mousemove $((X + 10)) $((Y + 10)) click 3
  menu=$(drv find --class '#32768' --visible 1 --timeout 10000 | awk '{print $1; exit}')
  check "a right click opens the menu" test -n "$menu"
  sleep 1
  screenshot tray-menu
  # Up from no selection goes to the last item, "終了".
  xdotool key Up
  sleep 0.5
  xdotool key Return
fi
check "choosing the exit item ends the program" wait_exit "$PROGRAM_PID" 30
check "the temporary folder is removed" test ! -e "${TEMP}Postwink"
finish
