#!/usr/bin/env bash
# The program on a 150 % display: Wine at 144 DPI, in a prefix of its own that is made once and
# kept. The list window after a check is drawn at that scale (a 9-point font 18 pixels high,
# columns and pictures half as large again as at 100 %), and so is the settings sheet, whose
# help balloon and colour palette grow with it; pictures of the list, the sheet, the balloon and
# the palette are artefacts (docs/ has them for the README). A WM_DPICHANGED, as Windows sends
# when the list is dragged to a monitor of another scale, re-lays the list out at 100 % (font,
# rows, columns, its corner kept) and back at 150 % as it was; sent to the hidden main window,
# it has the tray's pictures loaded again at the size of the new scale.
tree=$(cd "$(dirname "$0")/../.." && pwd)
export WINEPREFIX=${POSTWINK_WINEPREFIX_144:-$tree/build/mingw/wineprefix-144dpi}
export POSTWINK_XVFB_SCREEN=1600x1000x24
E2E_DOVECOT=1
source "$(dirname "$0")/lib/common.bash"

TEMP=$(temp_dir)
# Wine takes its DPI from the user's LogPixels when a program starts.
if [ ! -f "$WINEPREFIX/.postwink-logpixels-144" ]; then
  wine_run reg add 'HKCU\Control Panel\Desktop' /v LogPixels /t REG_DWORD /d 144 /f >/dev/null 2>&1
  "$(command -v wineserver || echo /usr/lib/wine/wineserver)" -w
  touch "$WINEPREFIX/.postwink-logpixels-144"
fi
# Frames drawn by Wine for the pictures; the prefix is this test's alone, so the key stays.
FRAMES_KEY='HKCU\Software\Wine\AppDefaults\Postwink.exe\X11 Driver'
wine_run reg add "$FRAMES_KEY" /v Decorated /d N /f >/dev/null 2>&1
E2E_CLEANUP_EXTRA='rm -rf "${TEMP}Postwink"'
WM_DPICHANGED=0x02E0
ID_SETTINGS=32880
COLUMN_SUBJECT=3

count=$(sample_mailbox)
write_dovecot_ini 'START_RUN=1' 'DISP_SEC=600' 'USE_SOUND=0' 'LOG=1'
LOG=$E2E_WORK/Postwink.log
xdotool mousemove 1 1
start_program
main=$(main_window)
check "the program is running" test -n "$main"
list=$(list_window 60000)
check "the list window opens after the check" test -n "$list"
[ -n "$list" ] || finish
check "it lists the $count new messages" test "$(row_count "$list")" -eq "$count"

# The list's layout: font height, row height, Subject width, window rectangle.
layout() {
  local l t r b
  read -r l t r b < <(out cellrect "$list" 0 "$COLUMN_SUBJECT")
  printf '%s %s %s %s\n' "$(out fontheight "$list" || echo none)" $((b - t)) $((r - l)) "$(out rect "$list")"
}
# Waits for the list's font to become $1 pixels high; prints the layout then.
layout_with_font() {
  local i now
  for ((i = 0; i < 50; i++)); do
    now=$(layout)
    [ "${now%% *}" = "$1" ] && break
    sleep 0.2
  done
  printf '%s\n' "$now"
}

# --- at 144 DPI ------------------------------------------------------------------------------
read -r font row subject l t r b _ < <(layout)
check "the 9-point list font is 18 pixels high at 144 DPI (12 at 96)" test "$font" = -18
check "a row holds the 24-pixel pictures and the taller text" test "$row" -ge 25
check "the Subject column is 300 pixels wide (200 at 96 DPI)" test "$subject" = 300
read -r _ _ wr wb < <(out workarea)
check "the list sits at the bottom-right corner" test "$r $b" = "$wr $wb"
screenshot list-144dpi-screen
crop_list list-144dpi "$list"

# --- moved to a 100 % monitor and back --------------------------------------------------------
drv post "$list" $WM_DPICHANGED $(((96 << 16) | 96)) 0 >/dev/null
read -r font96 row96 subject96 l96 t96 r96 b96 _ < <(layout_with_font -12)
check "WM_DPICHANGED to 96 DPI: the font is 12 pixels high" test "$font96" = -12
check "the Subject column is 200 pixels wide" test "$subject96" = 200
check "the rows are lower (now $row96, were $row)" test "$row96" -lt "$row"
check "the list is smaller ($((r96 - l96))x$((b96 - t96)), was $((r - l))x$((b - t)))" \
  test $((r96 - l96)) -lt $((r - l)) -a $((b96 - t96)) -lt $((b - t))
check "and keeps its corner" test "$r96 $b96" = "$wr $wb"
drv post "$list" $WM_DPICHANGED $(((144 << 16) | 144)) 0 >/dev/null
read -r font2 row2 subject2 l2 t2 r2 b2 _ < <(layout_with_font -18)
check "back at 144 DPI the list is laid out as before" \
  test "$font2 $row2 $subject2 $l2 $t2 $r2 $b2" = "$font $row $subject $l $t $r $b"

# --- the settings sheet at 144 DPI --------------------------------------------------------------
drv post "$list" 0x10 0 0 >/dev/null  # WM_CLOSE: the list leaves the sheet's picture
for ((i = 0; i < 50; i++)); do [ -z "$(list_window)" ] && break; sleep 0.2; done
check "the list closes" test -z "$(list_window)"
drv post "$main" 0x111 $ID_SETTINGS 0 >/dev/null
sheet=$(sheet_window)
check "the settings sheet opens" test -n "$sheet"
if [ -n "$sheet" ]; then
  read -r sl st sr sb _ < <(out rect "$sheet")
  # 487 x 492 at 96 DPI; the frame does not grow with the dialog units.
  check "the sheet is drawn a third larger or more ($((sr - sl))x$((sb - st)))" \
    test $((sr - sl)) -gt 640 -a $((sb - st)) -gt 640
  screenshot settings-144dpi-screen
  crop_around settings-144dpi "$sheet"
  # The help balloon of the server field, at the same scale.
  read -r fl ft fr fb < <(out client "$(drv item "$sheet" 1005 | awk '{print $1}')")
  xdotool mousemove $((fl + 40)) $(((ft + fb) / 2 - 1))
  sleep 0.2
  xdotool mousemove $((fl + 40)) $(((ft + fb) / 2))
  balloon=$(drv find --class CPPTooltip --visible 1 --timeout 5000 | awk '{print $1; exit}')
  check "resting on a field brings up its help balloon" test -n "$balloon"
  if [ -n "$balloon" ]; then
    screenshot settings-help-144dpi-screen
    crop_around settings-help-144dpi "$sheet" "$balloon"
  fi
  xdotool mousemove 1 1
  # The account's colour button opens the palette, whose cells grow with the scale: 18 pixels
  # at 96 DPI, 27 at 144.
  read -r bl bt br bb < <(out client "$(drv item "$sheet" 1018 | awk '{print $1}')")
  xdotool mousemove $(((bl + br) / 2)) $(((bt + bb) / 2)) click 1
  palette=$(drv find --class PostwinkColourPopup --visible 1 --timeout 5000 | awk '{print $1; exit}')
  check "the colour button opens the palette" test -n "$palette"
  if [ -n "$palette" ]; then
    read -r pl pt pr pb _ < <(out rect "$palette")
    check "the palette's eight columns of cells are 27 pixels wide ($((pr - pl)) in all)" \
      test $((pr - pl)) -ge 216 -a $((pr - pl)) -le 230
    screenshot colour-picker-144dpi-screen
    crop_around colour-picker-144dpi "$palette"
    xdotool key Escape
    check "Escape closes the palette" drv gone "$palette" --timeout 5000
  fi
  drv click "$sheet" 2 >/dev/null  # Cancel
  check "Cancel closes the sheet" drv gone "$sheet" --timeout 10000
fi

# --- the tray's pictures follow the scale of the main window's monitor ---------------------------
drv post "$main" $WM_DPICHANGED $(((192 << 16) | 192)) 0 >/dev/null
check "at 200 % the tray pictures are loaded at 32 pixels" \
  wait_log_count "tray pictures at 32 pixels" 1 10
drv post "$main" $WM_DPICHANGED $(((144 << 16) | 144)) 0 >/dev/null
check "and back at 150 % at 24 pixels" wait_log_count "tray pictures at 24 pixels" 1 10

check "the program exits on its tray command" exit_program "$main"
finish
