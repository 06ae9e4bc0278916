#!/usr/bin/env bash
# Builds Postwink.exe with MinGW, starts a private Dovecot on loopback with a small sample
# mailbox (messages in Japanese, English, French, Korean and with emoji, from
# scripts/make_sample_mail.py), writes a Postwink.ini for it in demo/ beside a copy of the
# program, and starts the program under Wine.
# It checks the mailbox at once, fetches the messages and announces them: the tray icon animates,
# the new-mail sound plays and the list of new messages slides in at the bottom-right corner,
# where it stays (the demo's settings turn its automatic closing off). On your display when
# there is one (exit from the tray icon's menu; Dovecot stops with the program), otherwise on a
# private virtual display, where screenshots are saved in demo/ and the program is closed again.
#   scripts/demo.sh            POSTWINK_HEADLESS=1 forces the virtual display
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
cd "$root"
demo=$root/demo
export WINEPREFIX=$root/build/mingw/wineprefix

if [ -z "${POSTWINK_DEMO_SERVERS:-}" ]; then
  cmake --preset mingw >/dev/null
  cmake --build --preset mingw -j2
  mkdir -p "$demo"
  cp build/mingw/src/win32/Postwink.exe "$demo/"
  rm -f "$demo/Postwink.log"
  export POSTWINK_DEMO_SERVERS=1
  exec scripts/with-servers.sh bash "$0" "$@"
fi

if [ -z "${POSTWINK_DOVECOT_PORT:-}" ]; then
  echo "demo: Dovecot is needed (scripts/setup.sh installs it)" >&2
  exit 1
fi
count=$(python3 scripts/make_sample_mail.py "$POSTWINK_DOVECOT_MAIL/$POSTWINK_DOVECOT_USER/Maildir")
pass=$(scripts/wine-run.sh build/mingw/postwink-cli.exe password scramble "$POSTWINK_DOVECOT_PASS" |
  tr -d '\r\n')
# The program must start a Wine session of its own, on the display it runs on.
"$(command -v wineserver || echo /usr/lib/wine/wineserver)" -w || true
# A fresh sample each time; what the program writes back at exit shows in the file afterwards.
printf '%s\r\n' \
  '[Postwink]' \
  'LOG=1' \
  'START_RUN=1' \
  'SOKIGERR=1' \
  'AUTOCLOSE=0' \
  '' \
  '[SERVER1]' \
  'MAILBOX=Demo' \
  'POP3=127.0.0.1' \
  "PORT=$POSTWINK_DOVECOT_PORT" \
  "USER=$POSTWINK_DOVECOT_USER" \
  "PASS=$pass" \
  'TIMER=1' \
  'ENABLE=1' >"$demo/Postwink.ini"
echo "Dovecot on 127.0.0.1:$POSTWINK_DOVECOT_PORT holds $count sample messages for '$POSTWINK_DOVECOT_USER'."

if [ -n "${DISPLAY:-}" ] && [ -z "${POSTWINK_HEADLESS:-}" ]; then
  echo "Postwink checks the mailbox now and every minute. When mail arrives the tray icon animates"
  echo "and the list of new messages opens at the bottom-right corner: double-click a message (or"
  echo "select it and press Enter) to read it in the preview pane; Esc closes the list, and a"
  echo "double click on the tray icon brings it back. New messages put into"
  echo "$POSTWINK_DOVECOT_MAIL/$POSTWINK_DOVECOT_USER/Maildir/new are announced at the next check."
  echo "Right-click the icon and choose 終了 to exit."
  (cd "$demo" && "$root/scripts/wine-run.sh" "$demo/Postwink.exe") || true
  echo "The conversation with the server is in demo/Postwink.log."
  exit 0
fi

echo "No display: running on a virtual one and saving screenshots in demo/"
POSTWINK_DISPLAY= scripts/with-xvfb.sh bash -c '
  set -u
  demo=$1
  driver=build/mingw/tests/e2e_driver.exe
  (cd "$demo" && exec "$2/scripts/wine-run.sh" "$demo/Postwink.exe") &
  pid=$!
  main=$(scripts/wine-run.sh "$driver" find --class "#32770" --title Postwink --timeout 30000 |
    awk "{print \$1; exit}")
  # The list of new messages opens once the check has ended; its animation takes 0.4 s.
  scripts/wine-run.sh "$driver" find --class PostwinkMessageList --visible 1 --timeout 60000 >/dev/null
  scripts/wine-run.sh "$driver" find --title "Wine System Tray" --timeout 15000 >/dev/null
  sleep 1
  import -window root "$demo/screenshot-new-mail.png"
  tray=$(xdotool search --name "Wine System Tray" 2>/dev/null | head -n 1)
  if [ -n "$tray" ]; then
    eval "$(xdotool getwindowgeometry --shell "$tray")"
    xdotool mousemove $((X + 10)) $((Y + 10)) click 3
    sleep 1.5
  fi
  import -window root "$demo/screenshot.png"
  xdotool key Escape
  [ -n "$main" ] && scripts/wine-run.sh "$driver" post "$main" 0x111 57665 0 >/dev/null
  for _ in $(seq 100); do kill -0 "$pid" 2>/dev/null || break; sleep 0.2; done
  kill "$pid" 2>/dev/null
  wait "$pid" 2>/dev/null
  true
' demo "$demo" "$root"
echo "Screenshots: demo/screenshot-new-mail.png (the list of new messages after the check),"
echo "demo/screenshot.png (the tray icon's menu)"
echo "The conversation with the server: demo/Postwink.log"
