#!/usr/bin/env bash
# A new user's way from no settings file to a working check, without a text editor: a start
# without Postwink.ini opens the settings sheet; two accounts typed into it (server, user,
# password; the second over STLS, pinned to the self-signed certificate of the test Dovecot)
# are applied and saved with OK, the passwords scrambled, and the check that follows logs in to
# the test Dovecot with both. On the way: a colour changed after choosing a scheme of
# ColorList.ini makes it "name*", and a filter rule added with the filter editor hides a
# message in the next check, which therefore announces nothing. The sheet opened again from
# the tray menu starts on the page OK was pressed on and shows what was saved, and its Apply
# closes the open message list and opens it again with the new settings and registers the hot
# key given on the sheet; the exit command while it is open cancels it and ends the program. A
# picture of every page is an artefact (docs/ has them for the README).
E2E_DOVECOT=1
source "$(dirname "$0")/lib/common.bash"

TEMP=$(temp_dir)
# The pictures show the windows with their frames and captions: there is no window manager on
# the display to draw them, so Wine is asked to draw them itself, for this test only.
FRAMES_KEY='HKCU\Software\Wine\AppDefaults\Postwink.exe\X11 Driver'
wine_run reg add "$FRAMES_KEY" /v Decorated /d N /f >/dev/null 2>&1
E2E_CLEANUP_EXTRA='rm -rf "${TEMP}Postwink"; wine_run reg delete "$FRAMES_KEY" /v Decorated /f >/dev/null 2>&1'
INI=$E2E_WORK/Postwink.ini
LOG=$E2E_WORK/Postwink.log
MAILDIR=$POSTWINK_DOVECOT_MAIL/$POSTWINK_DOVECOT_USER/Maildir
APPLY=0x3021  # the sheet's Apply button

count=$(sample_mailbox)
printf '[COLOR_LIST]\r\nBlue=FFFFFF 000000 C00000 800000 FFE0C0\r\n' >"$E2E_WORK/ColorList.ini"

deliver() {  # subject: one more plain message in the mailbox
  local name
  name=$(date +%s%N).e2e
  printf 'From: news@example.com\r\nTo: demo@example.com\r\nSubject: %s\r\nMessage-Id: <%s@e2e>\r\n\r\nbody\r\n' \
    "$1" "$name" >"$MAILDIR/tmp/$name"
  mv "$MAILDIR/tmp/$name" "$MAILDIR/new/$name"
}
not() { ! "$@"; }
log_has() { grep -aqF -- "$1" "$LOG" 2>/dev/null; }
log_count() {
  local n
  n=$(grep -ac -- "$1" "$LOG" 2>/dev/null)
  echo "${n:-0}"
}
wait_count() {  # text, count, seconds: the log holds the text that many times
  local i
  for ((i = 0; i < $3 * 5; i++)); do
    [ "$(log_count "$1")" -ge "$2" ] && return 0
    sleep 0.2
  done
  return 1
}
text_of() { drv gettext "$1" "$2" | tr -d '\r'; }
wait_text() {  # window, id, text
  local i
  for ((i = 0; i < 50; i++)); do
    [ "$(text_of "$1" "$2")" = "$3" ] && return 0
    sleep 0.2
  done
  return 1
}
shot() {  # window, name: the window with its frame
  local l t r b
  sleep 0.5
  read -r l t r b _ < <(drv rect "$1" | tr -d '\r')
  import -window root -crop $((r - l))x$((b - t))+$l+$t +repage "$E2E_ARTIFACTS/$2.png" 2>/dev/null ||
    fail "screenshot $2"
}
tray_position() {
  local tray
  tray=$(xdotool search --name 'Wine System Tray' 2>/dev/null | head -n 1)
  [ -n "$tray" ] || return 1
  eval "$(xdotool getwindowgeometry --shell "$tray")"
}
animating() {  # the tray icon changes between pictures
  local pictures
  pictures=$(for _ in 1 2 3 4 5 6 7 8; do
    import -window root -crop 20x20+$((X))+$((Y)) png:- 2>/dev/null | md5sum
    sleep 0.13
  done | sort -u | wc -l)
  [ "$pictures" -gt 1 ]
}
still() { ! animating; }

# --- 1. the first start opens the sheet --------------------------------------------------------
xdotool mousemove 1 1  # no tool tip over the pictures
start_program -v
sheet=$(sheet_window)
check "a start without Postwink.ini opens the settings sheet" test -n "$sheet"
[ -n "$sheet" ] || finish
hwnd=$(main_window)

# --- 2. two accounts, typed in: a plain one, and one over STLS pinned to a self-signed server --
check "an empty account is offered" test "$(text_of "$sheet" 1010)" = MAILBOX-1
type_account() {  # name server port
  drv settext "$sheet" 1010 "$1" >/dev/null
  drv settext "$sheet" 1005 "$2" >/dev/null
  drv settext "$sheet" 1009 "$3" >/dev/null
  drv settext "$sheet" 1006 "$POSTWINK_DOVECOT_USER" >/dev/null
  drv settext "$sheet" 1007 "$POSTWINK_DOVECOT_PASS" >/dev/null
  drv click "$sheet" 1000 >/dev/null
  for ((i = 0; i < 25; i++)); do
    [ "$(drv checked "$sheet" 1000 | tr -d '\r')" = 1 ] && return 0
    sleep 0.2
  done
  return 1
}
check "the first account is typed in and enabled" type_account Dovecot 127.0.0.1 "$POSTWINK_DOVECOT_PORT"
drv click "$sheet" 1029 >/dev/null
check "新規アカウント作成 adds MAILBOX-2" wait_text "$sheet" 1010 MAILBOX-2
drv select "$sheet" 1037 1 >/dev/null
check "TLS from the start proposes port 995" wait_text "$sheet" 1009 995
drv select "$sheet" 1037 2 >/dev/null
check "STLS puts 110 back" wait_text "$sheet" 1009 110
check "the second account is typed in and enabled" \
  type_account Secure 127.0.0.3 "$POSTWINK_TLS_PORT"
drv settext "$sheet" 1039 "$POSTWINK_TLS_SELF_SIGNED_SHA256" >/dev/null
shot "$sheet" settings-accounts
# Resting on a field brings up its help in a balloon.
read -r l t r b < <(drv client "$(drv item "$sheet" 1005 | awk '{print $1}')" | tr -d '\r')
xdotool mousemove $((l + 40)) $(((t + b) / 2 - 1))
sleep 0.2
xdotool mousemove $((l + 40)) $(((t + b) / 2))
sleep 1
shot "$sheet" settings-help
xdotool mousemove 1 1
drv click "$sheet" $APPLY >/dev/null
sleep 1
check "Apply alone writes no file" test ! -e "$INI"

# --- 3. a colour scheme, changed --------------------------------------------------------------
check "the display page shows" show_page "$sheet" 1 1041
drv select "$sheet" 1005 1 >/dev/null
check "the scheme of ColorList.ini can be chosen" wait_text "$sheet" 1005 Blue
read -r l t r b < <(drv client "$(drv item "$sheet" 1041 | awk '{print $1}')" | tr -d '\r')
xdotool mousemove $(((l + r) / 2)) $(((t + b) / 2)) click 1
popup=$(drv find --class PostwinkColourPopup --visible 1 --timeout 10000 | awk '{print $1; exit}')
check "the subject colour's palette opens" test -n "$popup"
# The scheme's subject colour is none of the palette's: the highlight starts on "More Colors...",
# and the first key up reaches the palette's last row.
xdotool key Up
sleep 0.3
xdotool key Return
xdotool mousemove 1 1
check "a changed colour makes the scheme Blue*" wait_text "$sheet" 1005 'Blue*'
shot "$sheet" settings-display

check "the message list page shows" show_page "$sheet" 2 1038
shot "$sheet" settings-list

# --- 4. a filter rule, added ------------------------------------------------------------------
check "the filter page shows" show_page "$sheet" 3 1036
drv click "$sheet" 1019 >/dev/null
editor=$(drv find --title 'フィルタ追加／編集' --visible 1 --timeout 10000 | awk '{print $1; exit}')
check "追加 opens the filter editor" test -n "$editor"
if [ -n "$editor" ]; then
  check "a new rule searches the Subject" test "$(drv checked "$editor" 1021 | tr -d '\r')" = 1
  check "a new rule hides without announcing" test "$(drv checked "$editor" 1025 | tr -d '\r')" = 1
  drv settext "$editor" 1022 hide-me >/dev/null
  shot "$editor" settings-filter-editor
  drv click "$editor" 1 >/dev/null
  check "OK closes the filter editor" drv gone "$editor" --timeout 10000
fi
shot "$sheet" settings-filters

check "the other page shows" show_page "$sheet" 4 1020
shot "$sheet" settings-other

# --- 5. OK, on the filter page: the file, and a check with the new account --------------------
show_page "$sheet" 3 1036
drv click "$sheet" 1 >/dev/null
check "OK closes the sheet" drv gone "$sheet" --timeout 15000
for ((i = 0; i < 25; i++)); do [ -s "$INI" ] && break; sleep 0.2; done
check "OK writes Postwink.ini" test -s "$INI"
cp "$INI" "$E2E_ARTIFACTS/Postwink.ini" 2>/dev/null
ini_value() { tr -d '\r' <"$INI" | awk -F= -v s="[$1]" -v k="$2" \
  '/^\[/{in_s=($0==s)} in_s && $1==k {sub(/^[^=]*=/, ""); print; exit}'; }
check "the account is saved" test "$(ini_value SERVER1 POP3)" = 127.0.0.1
check "with its name" test "$(ini_value SERVER1 MAILBOX)" = Dovecot
check "with its user" test "$(ini_value SERVER1 USER)" = "$POSTWINK_DOVECOT_USER"
check "enabled" test "$(ini_value SERVER1 ENABLE)" = 1
check "the secure account is saved with STLS" test "$(ini_value SERVER2 SECURITY)" = 2
check "and its pinned certificate" \
  test "$(ini_value SERVER2 TLS_FINGERPRINT)" = "$POSTWINK_TLS_SELF_SIGNED_SHA256"
stored=$(ini_value SERVER1 PASS)
check "the password is not stored as typed" test -n "$stored" -a "$stored" != "$POSTWINK_DOVECOT_PASS"
check "the stored password reads back" test "$(wine_run "$E2E_BUILD/postwink-cli.exe" password \
  unscramble "$stored" | tr -d '\r\n')" = "$POSTWINK_DOVECOT_PASS"
check "the changed scheme is saved as Blue*" test "$(ini_value Postwink COLLIST)" = 'Blue*'
check "the filter rule is saved" test "$(ini_value Filter FILTER0_STR)" = hide-me

check "the check after OK logs in with the new accounts" \
  wait_count "USER $POSTWINK_DOVECOT_USER" 2 60
check "and fetches every message of both" wait_count 'QUIT' 2 60
check "all $count messages twice" test "$(log_count 'RETR ')" -eq $((2 * count))
check "the new mail shows in the message list" test -n "$(list_window 30000)"
check "the secure account went over STLS" log_has 'STLS'

# --- 6. the filter in the next checks ---------------------------------------------------------
if tray_position; then
  check "the new mail animates the tray icon" animating
  xdotool mousemove $((X + 10)) $((Y + 10)) click 1  # acknowledged
  xdotool mousemove 1 1
  sleep 0.5
  check "a click on the icon acknowledges it" still
else
  fail "the tray is an X window"
fi
deliver 'hide-me: weekly report'
drv post "$hwnd" 0x111 32773 0 >/dev/null  # check now
check "check now fetches the message" wait_count 'RETR ' $((2 * count + 2)) 60
wait_count 'QUIT' 4 60
sleep 1
if tray_position; then
  check "the message the rule hides announces nothing" still
fi
deliver 'an ordinary message'
drv post "$hwnd" 0x111 32773 0 >/dev/null
check "another check fetches the next" wait_count 'RETR ' $((2 * count + 4)) 60
wait_count 'QUIT' 6 60
sleep 1
tray_position && check "a message the rule does not hide is announced" animating
(cd "$E2E_WORK" && wine_run "$E2E_BUILD/postwink-cli.exe" check --ini Postwink.ini --json) |
  tr -d '\r' >"$E2E_ARTIFACTS/cli-check.json"
check "the saved rule hides the message in a check of the saved settings" \
  grep -qF '"subject":"hide-me: weekly report"' "$E2E_ARTIFACTS/cli-check.json"
check "as hidden" python3 -c '
import json, sys
items = json.load(open(sys.argv[1]))["items"]
flags = {i["subject"]: i["hidden"] for i in items}
sys.exit(0 if flags["hide-me: weekly report"] and not flags["an ordinary message"] else 1)' \
  "$E2E_ARTIFACTS/cli-check.json"

# --- 7. the sheet again, from the tray menu; Apply reopens the open list ----------------------
drv post "$hwnd" 0x111 32771 0 >/dev/null  # 一覧表示／非表示: the list, to see Apply reopen it
list=$(list_window 10000)
if [ -z "$list" ]; then  # it was still open from the check and the command closed it
  drv post "$hwnd" 0x111 32771 0 >/dev/null
  list=$(list_window 10000)
fi
check "the list is open" test -n "$list"
if tray_position; then
  xdotool mousemove $((X + 10)) $((Y + 10)) click 3
  menu=$(drv find --class '#32768' --visible 1 --timeout 10000 | awk '{print $1; exit}')
  check "a right click opens the tray menu" test -n "$menu"
  sleep 0.5
  # Up from no selection: "終了", "今すぐチェック", "設定...".
  xdotool key Up Up Up Return
  xdotool mousemove 1 1
fi
sheet=$(sheet_window)
check "設定... opens the sheet" test -n "$sheet"
if [ -n "$sheet" ]; then
  check "it opens on the page OK was pressed on" visible "$sheet" 1036
  show_page "$sheet" 1 1041
  check "the starred scheme is still chosen" test "$(text_of "$sheet" 1005)" = 'Blue*'
  show_page "$sheet" 0 1029
  check "the account is there" test "$(text_of "$sheet" 1010)" = Dovecot
  check "with its server" test "$(text_of "$sheet" 1005)" = 127.0.0.1
  drv click "$sheet" 1036 >/dev/null  # not checked while offline: a change, for Apply
  for ((i = 0; i < 25; i++)); do [ "$(drv checked "$sheet" 1036 | tr -d '\r')" = 1 ] && break; sleep 0.2; done
  # A hot key for the list, Ctrl+Shift+K (the field's value: modifiers high, key low).
  show_page "$sheet" 4 1020
  drv post "$(drv item "$sheet" 1020 | awk '{print $1}')" 0x401 0x034B 0 >/dev/null
  drv click "$sheet" $APPLY >/dev/null
  if [ -n "$list" ]; then
    check "Apply closes the open list" drv gone "$list" --timeout 10000
    list=$(list_window 10000)
    check "and opens it again" test -n "$list"
  fi
  if [ -n "$list" ]; then
    # The key closes the list in front; a list behind the sheet comes to the front first.
    drv key 0x4B ctrl shift >/dev/null
    if ! drv gone "$list" --timeout 3000 >/dev/null; then drv key 0x4B ctrl shift >/dev/null; fi
    check "the hot key given on the sheet works after Apply" drv gone "$list" --timeout 10000
  fi
  sheet=$(sheet_window 5000)
  drv click "$sheet" 2 >/dev/null
  check "Cancel closes the sheet" drv gone "$sheet" --timeout 10000
fi

# --- 8. leaving the program while the sheet is open -------------------------------------------
drv post "$hwnd" 0x111 32880 0 >/dev/null
sheet=$(sheet_window)
check "the sheet opens again" test -n "$sheet"
drv settext "$sheet" 1005 unsaved.example.org >/dev/null
check "the exit command ends the program with the sheet open" exit_program "$hwnd"
check "the saved server stays" test "$(ini_value SERVER1 POP3)" = 127.0.0.1
check "what the sheet held is not saved" not grep -q unsaved.example.org "$INI"
check "the hot key Apply took is saved at exit" test "$(ini_value Postwink HOTKEY)" = $(((0x4B << 16) | 3))
cp "$LOG" "$E2E_ARTIFACTS/Postwink.log" 2>/dev/null
finish
