#!/usr/bin/env bash
# Builds Postwink.exe with MinGW, prepares a sample Postwink.ini in demo/ beside a copy of the
# program, and starts it under Wine: on your display when there is one (exit from the tray
# icon's menu), otherwise on a private virtual display, where a screenshot of the tray and its
# menu is saved as demo/screenshot.png and the program is closed again.
#   scripts/demo.sh            POSTWINK_HEADLESS=1 forces the virtual display
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
cd "$root"

cmake --preset mingw >/dev/null
cmake --build --preset mingw -j2

demo=$root/demo
mkdir -p "$demo"
cp build/mingw/src/win32/Postwink.exe "$demo/"
# A fresh sample each time; what the program writes back at exit shows in the file afterwards.
printf '%s\r\n' \
  '[Postwink]' \
  'LOG=1' \
  'START_RUN=0' \
  'SOKIGERR=1' \
  '' \
  '[SERVER1]' \
  'MAILBOX=Demo' \
  'POP3=127.0.0.1' \
  'PORT=1110' \
  'USER=demo' \
  'TIMER=10' \
  'ENABLE=0' >"$demo/Postwink.ini"
export WINEPREFIX=$root/build/mingw/wineprefix

if [ -n "${DISPLAY:-}" ] && [ -z "${POSTWINK_HEADLESS:-}" ]; then
  echo "Postwink is in the notification area; right-click its icon and choose 終了 to exit."
  exec scripts/wine-run.sh "$demo/Postwink.exe"
fi

echo "No display: running on a virtual one and saving demo/screenshot.png"
POSTWINK_DISPLAY= scripts/with-xvfb.sh bash -c '
  set -u
  driver=build/mingw/tests/e2e_driver.exe
  scripts/wine-run.sh "$1/Postwink.exe" &
  pid=$!
  main=$(scripts/wine-run.sh "$driver" find --class "#32770" --title Postwink --timeout 30000 |
    awk "{print \$1; exit}")
  scripts/wine-run.sh "$driver" find --title "Wine System Tray" --timeout 15000 >/dev/null
  sleep 1
  tray=$(xdotool search --name "Wine System Tray" 2>/dev/null | head -n 1)
  if [ -n "$tray" ]; then
    eval "$(xdotool getwindowgeometry --shell "$tray")"
    xdotool mousemove $((X + 10)) $((Y + 10)) click 3
    sleep 1.5
  fi
  import -window root "$1/screenshot.png"
  xdotool key Escape
  [ -n "$main" ] && scripts/wine-run.sh "$driver" post "$main" 0x111 57665 0 >/dev/null
  for _ in $(seq 100); do kill -0 "$pid" 2>/dev/null || break; sleep 0.2; done
  kill "$pid" 2>/dev/null
  wait "$pid" 2>/dev/null
  true
' demo "$demo"
echo "Screenshot: $demo/screenshot.png"
