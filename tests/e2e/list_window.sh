#!/usr/bin/env bash
# The message list as a user meets it, in one run of the program against a private Dovecot:
# after the first check the list slides in at the bottom-right corner with the unread messages;
# a click and Enter preview a Japanese message, whose row turns from bold to normal 1.5 s
# later; the hot key closes the list and brings it back with every message; the tray command
# does the same; a later check refills the open list and applied settings reopen it; the remove
# buttons empty it ("メッセージはありません"), and the emptied list
# closes about 3 s later once the user has moved on. Mail in accented Latin, with an emoji and
# in Korean and simplified Chinese shows as sent, in the rows and the preview. The column
# layout is in Postwink.ini at the end. Screenshots of the list, the previews and the empty
# list are artefacts.
E2E_DOVECOT=1
source "$(dirname "$0")/lib/common.bash"

TEMP=$(temp_dir)
E2E_CLEANUP_EXTRA='rm -rf "${TEMP}Postwink"'
EMPTY_TEXT='メッセージはありません'
# Ctrl+Shift+L: the key in the high word, Shift (1) and Ctrl (2) in the low word.
HOTKEY=$(((0x4C << 16) | 3))

count=$(sample_mailbox)
pass=$(scramble "$POSTWINK_DOVECOT_PASS")
write_ini '[Postwink]' 'START_RUN=1' 'DISP_SEC=600' "HOTKEY=$HOTKEY" 'USE_SOUND=0' '' \
  '[SERVER1]' 'MAILBOX=Demo' 'POP3=127.0.0.1' "PORT=$POSTWINK_DOVECOT_PORT" \
  "USER=$POSTWINK_DOVECOT_USER" "PASS=$pass" 'TIMER=10' 'ENABLE=1'

start_program
main=$(main_window)
check "the program is running" test -n "$main"
xdotool mousemove 400 200

# --- after the first check -----------------------------------------------------------------
list=$(list_window 60000)
check "the list window opens after the check" test -n "$list"
[ -n "$list" ] || finish
sleep 1
read -r l t r b top < <(out rect "$list")
read -r _ _ wr wb < <(out workarea)
check "it sits at the bottom-right corner of the work area" test "$r $b" = "$wr $wb"
check "it is top-most" test "$top" = 1
check "it was not activated" test "$(out foreground)" != "$list"
check "it lists the $count new messages" test "$(row_count "$list")" -eq "$count"
check "every row is unread (bold)" test "$(rows "$list" | cut -f1 | grep -vc '^B')" -eq 0
rows "$list" >"$E2E_ARTIFACTS/rows-after-check.txt"
check "the Japanese subjects are decoded" grep -qF '会議の議事録' "$E2E_ARTIFACTS/rows-after-check.txt"
check "the From column shows the name without the address" \
  grep -qF $'\t山田太郎\t' "$E2E_ARTIFACTS/rows-after-check.txt"
check "the important message has its mark" grep -qP '^B\t<6>\tDemo\tBuild Server' \
  "$E2E_ARTIFACTS/rows-after-check.txt"
check "the message with an attachment has its button" \
  grep -qP 'Nightly report \(attached\)\t[^\t]+\t<10>\t<8>' "$E2E_ARTIFACTS/rows-after-check.txt"
screenshot list-after-check-screen
crop_list list-after-check "$list"
check "accented Latin is shown as sent" \
  grep -qF $'\tJosé Müller\tRéunion à 15h\t' "$E2E_ARTIFACTS/rows-after-check.txt"
check "an emoji subject is shown as sent" \
  grep -qF $'\tShop\t🎉 Sale ends today! 50% off 🛍️\t' "$E2E_ARTIFACTS/rows-after-check.txt"
check "a Korean message is shown as sent" \
  grep -qF $'\t김민준\t견적서 보내드립니다\t' "$E2E_ARTIFACTS/rows-after-check.txt"
check "no character of them became \"?\"" test "$(grep -F -e José -e Shop -e 김민준 \
  "$E2E_ARTIFACTS/rows-after-check.txt" | grep -c '?')" -eq 0

# --- preview ----------------------------------------------------------------------------------
row=$(rows "$list" | grep -nF '会議の議事録' | cut -d: -f1)
click_cell "$list" $((row - 1)) 3
check "a click selects the row" test "$(row_mark "$list" '会議の議事録')" = BSF
read -r _ _ _ _ top < <(out rect "$list")
check "a click acknowledges the new mail: the list leaves the top-most band" test "$top" = 0
# The hot key with the list behind the active window brings it to the front.
drv key 0x4C ctrl shift >/dev/null
for _ in $(seq 25); do [ "$(out foreground)" = "$list" ] && break; sleep 0.2; done
check "the hot key brings the list to the front" test "$(out foreground)" = "$list"
drv key 0x0D >/dev/null  # Enter opens the preview of the focused row
shown_at=$(date +%s%N)
mark=$(row_mark "$list" '会議の議事録')
mark_ms=$((($(date +%s%N) - shown_at) / 1000000))
preview=$(out ctext "$list" RICHEDIT50W)
[ -n "$preview" ] || preview=$(out ctext "$list" RichEdit20W)
printf '%s\n' "$preview" >"$E2E_ARTIFACTS/preview.txt"
check "the preview shows the decoded Japanese body" grep -qF '本日の会議の議事録をお送りします' \
  "$E2E_ARTIFACTS/preview.txt"
# Read back within the 1.5 s, the row is still bold (a slow read proves nothing either way).
if [ "$mark_ms" -lt 1300 ]; then
  check "the previewed row is still bold at first ($mark after $mark_ms ms)" test "${mark:0:1}" = B
fi
read -r _ pt _ pb _ < <(out rect "$list")
check "the window grew upwards for the preview, its corner kept" \
  test "$pb" = "$b" -a "$pt" -lt "$t"
normal=
for _ in $(seq 25); do
  mark=$(row_mark "$list" '会議の議事録')
  [ -n "$mark" ] && [ "${mark:0:1}" != B ] && { normal=1; break; }
  sleep 0.2
done
check "the previewed row turns normal after 1.5 s" test -n "$normal"
check "the other rows stay bold" test "$(rows "$list" | cut -f1 | grep -c '^B')" -eq $((count - 1))
sleep 0.5
screenshot list-preview-screen
crop_list list-preview "$list"

# --- the hot key ------------------------------------------------------------------------------
drv key 0x4C ctrl shift >/dev/null
check "the hot key closes the list in front" drv gone "$list" --timeout 10000
drv key 0x4C ctrl shift >/dev/null
list=$(list_window 10000)
check "the hot key opens it again" test -n "$list"
[ -n "$list" ] || finish
sleep 0.5
check "now with every message, read ones too" test "$(row_count "$list")" -eq "$count"
check "the previewed message is read now" test "$(row_mark "$list" '会議の議事録' | cut -c1)" != B
read -r _ _ _ _ top < <(out rect "$list")
check "the list the user opened is not top-most" test "$top" = 0
check "and it is the active window" test "$(out foreground)" = "$list"

# --- international mail in the preview -------------------------------------------------------
row=$(rows "$list" | grep -nF '견적서 보내드립니다' | cut -d: -f1)
click_cell "$list" $((row - 1)) 3
drv key 0x0D >/dev/null
for _ in $(seq 25); do
  preview=$(out ctext "$list" RICHEDIT50W)
  [ -n "$preview" ] || preview=$(out ctext "$list" RichEdit20W)
  [[ "$preview" == *요청하신* ]] && break
  sleep 0.2
done
printf '%s\n' "$preview" >"$E2E_ARTIFACTS/preview-international.txt"
check "the preview shows the Korean body as sent" grep -qF '요청하신 견적서를 첨부합니다' \
  "$E2E_ARTIFACTS/preview-international.txt"
check "and its simplified Chinese line" grep -qF '会议通知：关于周五前提交报告。' \
  "$E2E_ARTIFACTS/preview-international.txt"
screenshot list-international-screen
crop_list list-international "$list"
drv key 0x0D >/dev/null  # Enter again closes the preview

# --- a later check with new mail refills the open list ----------------------------------------
maildir=$POSTWINK_DOVECOT_MAIL/$POSTWINK_DOVECOT_USER/Maildir
printf 'From: Carol <carol@example.com>\nSubject: Second check\nDate: %s\n\nHello again.\n' \
  "$(date -R)" >"$maildir/tmp/second.eml"
chmod 666 "$maildir/tmp/second.eml"
mv "$maildir/tmp/second.eml" "$maildir/new/$(date +%s).second.postwink-e2e"
drv post "$main" 0x111 32773 0 >/dev/null  # check now
count=$((count + 1))
for _ in $(seq 100); do [ "$(row_count "$list")" -eq "$count" ] && break; sleep 0.2; done
check "a later check refills the open list" test "$(row_count "$list")" -eq "$count"
check "with the new message in bold" test "$(row_mark "$list" 'Second check' | cut -c1)" = B
read -r _ _ r2 b2 top < <(out rect "$list")
check "and raises it into the top-most band, its corner kept" test "$top $r2 $b2" = "1 $r $b"

# --- applied settings reopen it -----------------------------------------------------------------
drv post "$main" 0x559 0 0 >/dev/null
check "applied settings close the open list" drv gone "$list" --timeout 10000
list=$(list_window 10000)
check "and open it again" test -n "$list"
[ -n "$list" ] || finish
sleep 0.5
check "with every message" test "$(row_count "$list")" -eq "$count"

# --- the tray command "一覧表示／非表示..." ------------------------------------------------------
drv post "$main" 0x111 32771 0 >/dev/null
check "the tray command closes the list" drv gone "$list" --timeout 10000
drv post "$main" 0x111 32771 0 >/dev/null
list=$(list_window 10000)
check "the tray command opens it again" test -n "$list"
[ -n "$list" ] || finish
sleep 0.5

# --- emptying the list with the remove buttons -----------------------------------------------
for ((i = count; i > 1; i--)); do
  click_cell "$list" 0 6
  for _ in $(seq 20); do
    [ "$(row_count "$list")" -lt "$i" ] && break
    sleep 0.2
  done
done
check "the remove buttons take the rows away one by one" test "$(row_count "$list")" -eq 1
click_cell "$list" 0 6
removed_at=$(date +%s%N)
# The user moves on: a click on the tray icon takes the focus, the pointer goes elsewhere.
tray=$(xdotool search --name 'Wine System Tray' 2>/dev/null | head -n 1)
if [ -n "$tray" ]; then
  eval "$(xdotool getwindowgeometry --shell "$tray")"
  xdotool mousemove $((X + 10)) $((Y + 10)) click 1
fi
xdotool mousemove 400 200
check "the emptied list says so" test "$(rows "$list")" = "$EMPTY_TEXT"
screenshot list-empty-screen
crop_list list-empty "$list"
# Closing starts when the window hides; it is destroyed after its hide animation.
for _ in $(seq 50); do
  [ -z "$(list_window)" ] && break
  sleep 0.2
done
closed_ms=$((($(date +%s%N) - removed_at) / 1000000))
echo "     (hidden $closed_ms ms after the last removal)"
check "the emptied list closes by itself about 3 s after the last removal" \
  test "$closed_ms" -ge 2500 -a "$closed_ms" -le 4500
check "and is gone" drv gone "$list" --timeout 10000

check "the program exits" exit_program "$main"
check "the column layout is written to Postwink.ini" \
  grep -qaF 'ReportCtrl2=(7,7) 28 85 200 200 134 28 28 0 1 2 3 4 5 6' "$E2E_WORK/Postwink.ini"
finish
