#!/usr/bin/env bash
# New mail in the notification centre: with the option on, a check that finds mail also shows
# the tray icon's notification (the count as its title, the first sender and subject as its
# text), and a click on it opens the list; the icon's tool tip counts the unread messages, and
# the icon shows their number. The list's own slide-in is held (the user is in quiet hours,
# through the attention seam) so that only the click can bring it.
E2E_DOVECOT=1
source "$(dirname "$0")/lib/common.bash"

TEMP=$(temp_dir)
E2E_CLEANUP_EXTRA='rm -rf "${TEMP}Postwink"'
LOG=$E2E_WORK/Postwink.log
WM_ASSUME_ATTENTION=0x8011
CHECK_NOW=32773

count=$(sample_mailbox)
write_dovecot_ini 'LOG=1' 'START_RUN=0' 'NOTIFY_CENTRE=1' 'TRAY_COUNT=1'
# The visible balloon of the shell's tray: prints its handle.
balloon() {
  local w
  for ((i = 0; i < 50; i++)); do
    for w in $(drv find --class tooltips_class32 --visible 1 | awk '{print $1}'); do
      if out text "$w" | grep -qF "$1"; then
        echo "$w"
        return 0
      fi
    done
    sleep 0.2
  done
  return 1
}

start_program
hwnd=$(main_window)
check "the program is running" test -n "$hwnd"
has_window --title 'Wine System Tray' --timeout 15000
tray_icon tray-before
drv post "$hwnd" $WM_ASSUME_ATTENTION 6 0 >/dev/null
drv post "$hwnd" 0x111 $CHECK_NOW 0 >/dev/null
check "the check finds the mail and holds the list" wait_log_count 'new mail held' 1 60
tip=$(balloon '@')
check "the notification shows" test -n "$tip"
if [ -n "$tip" ]; then
  out text "$tip" >"$E2E_ARTIFACTS/notification.txt"
  sleep 1
  screenshot notification-screen
  crop_around notification "$tip"
  # A click on Wine's balloon does not reach the icon's owner, so the shell's
  # message for the click is posted to the icon's window as Windows sends it.
  tray=$(drv find --class PostwinkTrayWnd | awk '{print $1; exit}')
  drv post "$tray" 0x800A 130 0x405 >/dev/null
  list=$(list_window 10000)
  check "a click on it opens the list" test -n "$list"
  [ -n "$list" ] && check "with all $count messages" test "$(row_count "$list")" -eq "$count"
fi
# Acknowledged, the icon stands still with the unread count on it.
tray_icon tray-count
check "the icon shows the count" \
  bash -c "! cmp -s '$E2E_ARTIFACTS/tray-before.png' '$E2E_ARTIFACTS/tray-count.png'"
# The icon's tool tip counts the unread messages per account.
tray_x=$(xdotool search --name 'Wine System Tray' 2>/dev/null | head -n 1)
if [ -n "$tray_x" ]; then
  eval "$(xdotool getwindowgeometry --shell "$tray_x")"
  xdotool mousemove $((X + 10)) $((Y + 10)) sleep 0.3 mousemove $((X + 11)) $((Y + 11))
  check "the tool tip counts the unread messages" test -n "$(balloon "Box: $count")"
fi
exit_program "$hwnd"
finish
