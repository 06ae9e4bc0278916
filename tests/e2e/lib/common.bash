# Shared by the end-to-end tests: each test sources this file first. It builds the MinGW tree if
# needed, runs the test again inside a private Xvfb with a time limit, gives it a fresh folder
# with a copy of Postwink.exe, and cleans up after it. A test that sets E2E_DOVECOT=1 first runs
# beside the private POP3 servers of scripts/with-servers.sh.
set -uo pipefail

E2E_ROOT=$(cd "$(dirname "${BASH_SOURCE[0]}")/../../.." && pwd)
if [ -n "${E2E_DOVECOT:-}" ] && [ -z "${E2E_SERVERS:-}" ]; then
  export E2E_SERVERS=1
  exec "$E2E_ROOT/scripts/with-servers.sh" bash "$0" "$@"
fi
E2E_NAME=$(basename "$0" .sh)
E2E_BUILD=$E2E_ROOT/build/mingw
export WINEPREFIX=${WINEPREFIX:-$E2E_BUILD/wineprefix}

if [ -z "${E2E_INSIDE:-}" ]; then
  if [ ! -f "$E2E_BUILD/src/win32/Postwink.exe" ] || [ ! -f "$E2E_BUILD/tests/e2e_driver.exe" ] ||
    [ ! -f "$E2E_BUILD/tests/record_editor.exe" ]; then
    (cd "$E2E_ROOT" && cmake --preset mingw >/dev/null && cmake --build --preset mingw -j2) || exit 1
  fi
  export E2E_INSIDE=1
  # timeout signals the whole process group, so nothing the test started outlives the limit.
  exec timeout "${E2E_TIMEOUT:-240}" "$E2E_ROOT/scripts/with-xvfb.sh" bash "$0" "$@"
fi

E2E_WORK=$E2E_BUILD/e2e/$E2E_NAME
E2E_ARTIFACTS=$E2E_BUILD/e2e-artifacts/$E2E_NAME
rm -rf "$E2E_WORK" "$E2E_ARTIFACTS"
mkdir -p "$E2E_WORK" "$E2E_ARTIFACTS"
cp "$E2E_BUILD/src/win32/Postwink.exe" "$E2E_WORK/"
E2E_FAILURES=0
E2E_PIDS=()

e2e_cleanup() {
  local pid
  for pid in "${E2E_PIDS[@]}"; do
    kill -0 "$pid" 2>/dev/null && kill "$pid" 2>/dev/null
  done
  [ -n "${E2E_CLEANUP_EXTRA:-}" ] && eval "$E2E_CLEANUP_EXTRA"
  return 0
}
trap e2e_cleanup EXIT

wine_run() { "$E2E_ROOT/scripts/wine-run.sh" "$@"; }
drv() { wine_run "$E2E_BUILD/tests/e2e_driver.exe" "$@"; }

pass() { echo "ok   - $*"; }
fail() { echo "FAIL - $*"; E2E_FAILURES=$((E2E_FAILURES + 1)); }
check() {  # description command...
  local what=$1
  shift
  if "$@"; then pass "$what"; else fail "$what"; fi
}
finish() {
  if [ "$E2E_FAILURES" -eq 0 ]; then
    echo "$E2E_NAME: all checks passed"
    exit 0
  fi
  echo "$E2E_NAME: $E2E_FAILURES check(s) failed (artefacts in $E2E_ARTIFACTS)"
  exit 1
}

if [ -n "${E2E_DOVECOT:-}" ] && [ -z "${POSTWINK_DOVECOT_PORT:-}" ]; then
  fail "Dovecot is not available (scripts/setup.sh installs it)"
  finish
fi

# Puts the sample messages into the test user's Dovecot mailbox; prints how many.
sample_mailbox() { sample_mailbox_of "$POSTWINK_DOVECOT_MAIL/$POSTWINK_DOVECOT_USER/Maildir"; }
sample_mailbox_of() { python3 "$E2E_ROOT/scripts/make_sample_mail.py" "$1"; }  # maildir
# One message file in a Maildir folder; FLAGS given ("S") puts it in cur/ as read by another
# client, otherwise into new/ as a delivery does (written to tmp/ first, then moved).
deliver_to_maildir() {  # maildir, subject[, flags]
  local name
  name="$(date +%s).$RANDOM$RANDOM.e2e"
  printf 'From: Lists <lists@example.com>\r\nTo: demo@example.com\r\nSubject: %s\r\nDate: %s\r\nMessage-ID: <%s@example.com>\r\n\r\nBody of %s.\r\n' \
    "$2" "$(date -R)" "$name" "$2" >"$1/tmp/$name"
  if [ -n "${3:-}" ]; then
    mv "$1/tmp/$name" "$1/cur/$name:2,$3"
  else
    mv "$1/tmp/$name" "$1/new/$name"
  fi
}
# A password in the form Postwink.ini keeps it.
scramble() { wine_run "$E2E_BUILD/postwink-cli.exe" password scramble "$1" | tr -d '\r\n'; }

# Writes Postwink.ini into the work folder from the lines given (CR LF line ends).
write_ini() {
  printf '%s\r\n' "$@" >"$E2E_WORK/Postwink.ini"
}

# Postwink.ini with the [Postwink] lines given and one account "Box" on the private Dovecot.
write_dovecot_ini() {
  write_ini '[Postwink]' "$@" '' \
    '[SERVER1]' 'MAILBOX=Box' 'POP3=127.0.0.1' "PORT=$POSTWINK_DOVECOT_PORT" \
    "USER=$POSTWINK_DOVECOT_USER" "PASS=$(scramble "$POSTWINK_DOVECOT_PASS")" 'TIMER=10' 'ENABLE=1'
}

# How often the program's log ($LOG, set by the test) holds the text.
log_count() {
  local n
  n=$(grep -acF -- "$1" "$LOG" 2>/dev/null)
  echo "${n:-0}"
}
wait_log_count() {  # text, count, seconds
  local i
  for ((i = 0; i < $3 * 5; i++)); do
    [ "$(log_count "$1")" -ge "$2" ] && return 0
    sleep 0.2
  done
  return 1
}

# Starts Postwink.exe from the work folder in the background; sets PROGRAM_PID.
start_program() {
  (cd "$E2E_WORK" && exec "$E2E_ROOT/scripts/wine-run.sh" "$E2E_WORK/Postwink.exe" "$@") &
  PROGRAM_PID=$!
  E2E_PIDS+=("$PROGRAM_PID")
}

# Waits up to $2 seconds for process $1 to end; its status is left in EXIT_STATUS.
wait_exit() {
  local pid=$1 limit=$2 i
  for ((i = 0; i < limit * 5; i++)); do
    if ! kill -0 "$pid" 2>/dev/null; then
      wait "$pid" 2>/dev/null
      EXIT_STATUS=$?
      return 0
    fi
    sleep 0.2
  done
  return 1
}

# The hidden main window: prints its handle; status 1 when it does not appear in time.
main_window() {
  drv find --class '#32770' --title Postwink --timeout "${1:-30000}" | awk '{print $1; exit}'
}

# The user's temporary directory inside the Wine prefix, as a Unix path with a trailing "/".
temp_dir() {
  local win
  win=$(drv temp | tr -d '\r')
  local unix
  unix=$(wine_run winepath -u "$win" 2>/dev/null | tr -d '\r')
  printf '%s/' "${unix%/}"
}

# The first icon of Wine's tray, as the screenshot NAME.
tray_icon() {  # name
  local tray X Y
  tray=$(xdotool search --name 'Wine System Tray' 2>/dev/null | head -n 1)
  [ -n "$tray" ] || return 1
  eval "$(xdotool getwindowgeometry --shell "$tray")"
  import -window root -crop 20x20+$((X + 2))+$((Y + 2)) +repage "$E2E_ARTIFACTS/$1.png"
}

screenshot() {  # name
  import -window root "$E2E_ARTIFACTS/$1.png" 2>/dev/null || fail "screenshot $1"
}

# Asks the running program to exit through its tray menu command and waits for it to end.
exit_program() {
  local hwnd=$1
  drv post "$hwnd" 0x111 57665 0 >/dev/null
  wait_exit "$PROGRAM_PID" 30
}

# Status 0 when a window matching the driver's find options exists (or appears in time).
has_window() { drv find "$@" >/dev/null; }
no_window() { ! drv find "$@" >/dev/null; }

# --- the settings sheet -----------------------------------------------------------------------
SHEET_CAPTION='Postwink の設定'
sheet_window() {  # the open sheet's handle, waiting up to $1 ms
  drv find --title "$SHEET_CAPTION" --visible 1 --timeout "${1:-30000}" | awk '{print $1; exit}'
}
# Status 0 when the control of that id in the window is visible.
visible() { [ "$(drv item "$1" "$2" | tr -d '\r' | awk '{print $2}')" = 1 ]; }
show_page() {  # sheet, index, an id only that page has
  local i
  drv page "$1" "$2" >/dev/null
  for ((i = 0; i < 50; i++)); do
    visible "$1" "$3" && return 0
    sleep 0.2
  done
  return 1
}

# --- the message list -------------------------------------------------------------------------
LIST_CLASS=PostwinkMessageList
list_window() {  # the visible list window's handle, waiting up to $1 ms
  drv find --class "$LIST_CLASS" --visible 1 --timeout "${1:-0}" | awk '{print $1; exit}'
}
# Driver output without the console's carriage returns.
out() { drv "$@" | tr -d '\r'; }
rows() { out ctext "$1" MFCReportCtrl | grep -v '^$'; }
row_count() { rows "$1" | grep -c $'\t'; }
# The state mark of the row whose text holds $2 ("B" bold, "S" selected, "F" focused).
row_mark() { rows "$1" | grep -F -- "$2" | cut -f1; }
click_cell() {  # list, row, column[, clicks]
  local xy
  xy=$(out cell "$1" "$2" "$3") || return 1
  # shellcheck disable=SC2086
  xdotool mousemove $xy click --repeat "${4:-1}" --delay 80 1
}
crop_list() {  # screenshot name, window: the list and a margin around it
  local l t r b
  read -r l t r b _ < <(out rect "$2")
  local left=$((l - 8)) top=$((t - 8))
  [ $left -ge 0 ] || left=0
  [ $top -ge 0 ] || top=0
  convert "$E2E_ARTIFACTS/$1-screen.png" -crop $((r - left))x$((b - top))+$left+$top \
    +repage "$E2E_ARTIFACTS/$1.png" || fail "crop $1"
}

crop_around() {  # screenshot name, windows...: the smallest rectangle holding them, with a margin
  local name=$1 l t r b left=100000 top=100000 right=0 bottom=0
  shift
  for w in "$@"; do
    read -r l t r b _ < <(out rect "$w")
    [ "$l" -lt "$left" ] && left=$l
    [ "$t" -lt "$top" ] && top=$t
    [ "$r" -gt "$right" ] && right=$r
    [ "$b" -gt "$bottom" ] && bottom=$b
  done
  left=$((left > 8 ? left - 8 : 0)) top=$((top > 8 ? top - 8 : 0))
  convert "$E2E_ARTIFACTS/$name-screen.png" -crop $((right + 8 - left))x$((bottom + 8 - top))+$left+$top \
    +repage "$E2E_ARTIFACTS/$name.png" || fail "crop $name"
}
