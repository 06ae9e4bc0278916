#!/usr/bin/env bash
# Light and dark task bars: the tray icon follows SystemUsesLightTheme, read at start-up and
# again when Windows announces the "ImmersiveColorSet" setting change; other setting changes
# leave it alone, and a missing value means the dark bar.
source "$(dirname "$0")/lib/common.bash"

THEME_KEY='HKCU\Software\Microsoft\Windows\CurrentVersion\Themes\Personalize'
# The prefix is shared with the other tests: they keep the dark bar.
E2E_CLEANUP_EXTRA='wine_run reg delete "$THEME_KEY" /v SystemUsesLightTheme /f >/dev/null 2>&1'
LOG=$E2E_WORK/Postwink.log
write_ini '[Postwink]' 'LOG=1'

theme() {  # hwnd, area, value or "-" for none
  drv setting "$1" "$2" SystemUsesLightTheme "$3" >/dev/null
}
# Pixels of two icon screenshots that differ clearly. Wine's tray blends a new icon over the old
# one, so the same picture shown again leaves a faint halo of the other: some tens of pixels, where
# the two variants differ in about a hundred.
icon_distance() {
  compare -metric AE -fuzz 10% "$E2E_ARTIFACTS/$1.png" "$E2E_ARTIFACTS/$2.png" null: 2>&1
}
# The tray repaints on its own time: shoots the icon as NAME until it looks like the screenshot
# OTHER (or, with "differs", clearly unlike it).
wait_icon() {  # name, other, [differs]
  local i d
  for ((i = 0; i < 25; i++)); do
    tray_icon "$1"
    d=$(icon_distance "$1" "$2")
    if [ "${3:-}" = differs ]; then [ "${d%%.*}" -ge 80 ] && return 0; else [ "${d%%.*}" -le 40 ] && return 0; fi
    sleep 0.2
  done
  echo "  $1 against $2: $d pixels differ" >&2
  return 1
}

start_program
hwnd=$(main_window)
check "the program is running" test -n "$hwnd"
[ -n "$hwnd" ] || finish
has_window --title 'Wine System Tray' --timeout 15000
theme "$hwnd" ImmersiveColorSet -
sleep 1
tray_icon dark
check "no value: the icon stays as it was" test "$(log_count 'tray pictures for')" -eq 0

theme "$hwnd" ImmersiveColorSet 1
check "a light task bar switches the icon" wait_icon light dark differs
check "the switch is logged once" test "$(log_count 'tray pictures for a light task bar')" -eq 1

theme "$hwnd" Policy 0
check "another setting's change leaves the icon" test "$(log_count 'tray pictures for')" -eq 1
theme "$hwnd" ImmersiveColorSet 0
check "back to the dark bar, the icon is the first one again" wait_icon dark-again dark

# Read at start-up too.
theme "$hwnd" Policy 1
check "the program exits" exit_program "$hwnd"
start_program
hwnd=$(main_window)
check "the program starts again" test -n "$hwnd"
[ -n "$hwnd" ] || finish
has_window --title 'Wine System Tray' --timeout 15000
check "a light task bar at start-up gives the light icon" wait_icon light-at-start light
theme "$hwnd" Policy -
exit_program "$hwnd"
finish
