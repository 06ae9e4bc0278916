#!/usr/bin/env bash
# New mail while the user must not be disturbed: with the shell's answer taken from the program's
# attention seam, a check that finds mail during a presentation neither slides the list in nor
# plays the sound; the list comes when the user is available again, or at a click on the icon
# while they are still busy.
E2E_DOVECOT=1
source "$(dirname "$0")/lib/common.bash"

TEMP=$(temp_dir)
E2E_CLEANUP_EXTRA='rm -rf "${TEMP}Postwink"'
LOG=$E2E_WORK/Postwink.log
MAILDIR=$POSTWINK_DOVECOT_MAIL/$POSTWINK_DOVECOT_USER/Maildir
WM_ASSUME_ATTENTION=0x8011
CHECK_NOW=32773

sample_mailbox >/dev/null
write_dovecot_ini 'LOG=1' 'START_RUN=0' 'DISP_SEC=0'

has_row() { rows "$1" | grep -qF -- "$2"; }
add_message() {  # subject
  printf 'From: Quiet <quiet@example.com>\nTo: demo@example.com\nSubject: %s\nDate: %s\n\nbody\n' \
    "$1" "$(date -R)" >"$MAILDIR/new/$(date +%s%N).quiet"
}

start_program
hwnd=$(main_window)
check "the program is running" test -n "$hwnd"

# --- 1. presenting: held, then shown once the user is available ------------------------------
drv post "$hwnd" $WM_ASSUME_ATTENTION 4 0 >/dev/null
drv post "$hwnd" 0x111 $CHECK_NOW 0 >/dev/null
check "new mail during a presentation is held" wait_log_count 'new mail held: user not available (4)' 1 60
check "no list slides in" no_window --class "$LIST_CLASS" --visible 1
drv post "$hwnd" $WM_ASSUME_ATTENTION 5 0 >/dev/null
list=$(list_window 10000)
check "the list comes once the user is available" test -n "$list"
check "the log says so" wait_log_count 'held new mail shown' 1 10
if [ -n "$list" ]; then
  check "it lists the held mail" test "$(row_count "$list")" -gt 0
  drv post "$list" 0x10 0 0 >/dev/null
  drv gone "$list" --timeout 10000
fi

# --- 2. quiet hours: a click on the icon takes the held list -----------------------------------
drv post "$hwnd" $WM_ASSUME_ATTENTION 6 0 >/dev/null
add_message 'While quiet'
drv post "$hwnd" 0x111 $CHECK_NOW 0 >/dev/null
check "new mail during quiet hours is held" wait_log_count 'new mail held: user not available (6)' 1 60
check "no list slides in" no_window --class "$LIST_CLASS" --visible 1
tray=$(xdotool search --name 'Wine System Tray' 2>/dev/null | head -n 1)
check "the tray is an X window" test -n "$tray"
if [ -n "$tray" ]; then
  eval "$(xdotool getwindowgeometry --shell "$tray")"
  xdotool mousemove $((X + 10)) $((Y + 10)) click 1
  list=$(list_window 10000)
  check "a click on the icon brings the held list" test -n "$list"
  [ -n "$list" ] && check "with the new message" has_row "$list" 'While quiet'
  check "and only once" test "$(log_count 'held new mail shown')" -eq 2
fi
exit_program "$hwnd"
finish
