#!/usr/bin/env bash
# An OAuth 2.0 account in Postwink.exe under Wine, against the local authorization server and
# the Dovecot that accepts only its tokens (both from scripts/with-servers.sh): the accounts page
# shows the sign-in rows; its "サインイン..." button opens the configured browser command
# (POSTWINK_BROWSER, here a small program that takes the consent page's redirect to the
# program's loopback listener), the page then says the account is signed in, and the check that
# follows signs in to Dovecot's POP3S with an access token and lists the mailbox. Token requests
# refuse the certificates the mail connections refuse. The refresh
# token is stored encrypted beside Postwink.ini and is in no file in clear; no token reaches the
# log. Once the tokens are revoked, the refused refresh opens the browser by itself and the
# account checks again after the sign-in. A refused consent is told in a box and leaves the account as it was. The page is an
# artefact (docs/settings-oauth.png).
E2E_DOVECOT=1
source "$(dirname "$0")/lib/common.bash"

TEMP=$(temp_dir)
winpath() { printf 'Z:%s' "${1//\//\\}"; }
check "the test authority is trusted for this run" drv trust-ca "$(winpath "$POSTWINK_TLS_CA")"
E2E_CLEANUP_EXTRA='rm -rf "${TEMP}Postwink"; drv untrust-ca "$(winpath "$POSTWINK_TLS_CA")"'
LOG=$E2E_WORK/Postwink.log
BROWSER_LOG=$E2E_WORK/browser.log
control() { curl -s -o /dev/null -w '%{http_code}' -d "$1" "$POSTWINK_OAUTH_CONTROL/control"; }
check "the authorization server starts afresh" test "$(control reset=1)" = 200

# --- the token requests check certificates as the mail connections do ------------------------
token_post() {  # url: the answer's first line
  drv https-post "$1" "grant_type=refresh_token&refresh_token=unknown&client_id=$POSTWINK_OAUTH_CLIENT_ID" |
    tr -d '\r' | head -n 1
}
check "the token endpoint's own error comes back with its status" \
  grep -qE '^status 4[0-9]{2} .*"error"' <<<"$(token_post "$POSTWINK_OAUTH_URL/token")"
# Dovecot's TLS listeners show the test certificates: self-signed, of another name, expired.
for refusal in '127.0.0.3 ｻｰﾊﾞ証明書が信頼できません' '127.0.0.4 ｻｰﾊﾞ証明書の名前がｻｰﾊﾞ名と一致しません' \
  '127.0.0.5 ｻｰﾊﾞ証明書の有効期限が切れています'; do
  address=${refusal%% *}
  check "a token request to $address is refused: ${refusal#* }" test \
    "$(token_post "https://$address:$POSTWINK_TLS_POP3S_PORT/token")" = "error ${refusal#* }"
done

count=$(sample_mailbox_of "$POSTWINK_DOVECOT_MAIL/$POSTWINK_OAUTH_USER/Maildir")
write_ini '[Postwink]' 'LOG=1' 'START_RUN=0' 'DISP_SEC=600' 'USE_SOUND=0' '' \
  '[SERVER1]' 'MAILBOX=OAuth' 'POP3=127.0.0.2' "PORT=$POSTWINK_OAUTH_POP3S_PORT" 'SECURITY=1' \
  "USER=$POSTWINK_OAUTH_USER" 'TIMER=10' 'ENABLE=1' 'OAUTH=custom' \
  "OAUTH_CLIENT_ID=$POSTWINK_OAUTH_CLIENT_ID" "OAUTH_AUTH_URL=$POSTWINK_OAUTH_URL/authorize" \
  "OAUTH_TOKEN_URL=$POSTWINK_OAUTH_URL/token" 'OAUTH_SCOPE=mail'
export POSTWINK_BROWSER="$(winpath "$E2E_BUILD/tests/oauth_browser.exe") $(winpath "$BROWSER_LOG")"

start_program
main=$(main_window)
check "the program is running" test -n "$main"
[ -n "$main" ] || finish

text_of() { drv gettext "$1" "$2" | tr -d '\r'; }
wait_text() {  # window, id, text, seconds
  local i
  for ((i = 0; i < $4 * 5; i++)); do
    [ "$(text_of "$1" "$2")" = "$3" ] && return 0
    sleep 0.2
  done
  return 1
}
box_says() { drv gettext "$1" 65535 | grep -qF -- "$2"; }  # box, text
message_box() {  # the visible message box's handle, waiting up to $1 ms
  drv find --class '#32770' --title Postwink --visible 1 --timeout "$1" | awk '{print $1; exit}'
}

# --- the sign-in from the accounts page -----------------------------------------------------
drv post "$main" 0x111 32880 0 >/dev/null  # the settings sheet
sheet=$(sheet_window)
check "the settings sheet opens" test -n "$sheet"
[ -n "$sheet" ] || finish
check "the account signs in with OAuth 2.0" test "$(text_of "$sheet" 1059)" = 'OAuth 2.0'
check "its provider is the custom one" test "$(text_of "$sheet" 1060)" = 'カスタム'
check "the page says it is not signed in yet" \
  test "$(text_of "$sheet" 1068)" = 'まだサインインしていません'
drv click "$sheet" 1067 >/dev/null
check "the page says the account is signed in" wait_text "$sheet" 1068 'サインイン済み' 60
check "the browser command was given the authorization address and took its redirect" \
  grep -qE '^redirect http://127\.0\.0\.1:[0-9]+/\?code=' "$BROWSER_LOG"
check "the program answered the browser with its page" grep -q '^page 200 ' "$BROWSER_LOG"
xdotool mousemove 1 1
sleep 0.5
read -r l t r b _ < <(out rect "$sheet")
import -window root -crop $((r - l))x$((b - t))+$l+$t +repage \
  "$E2E_ARTIFACTS/settings-oauth.png" 2>/dev/null || fail "screenshot settings-oauth"
drv post "$sheet" 0x111 1 0 >/dev/null  # OK
check "the sheet closes with OK" drv gone "$sheet" --timeout 10000

TOKENS=$E2E_WORK/Postwink.tokens
check "the refresh token is stored beside Postwink.ini" test -s "$TOKENS"
check "the stored file does not show the refresh token" bash -c "! grep -aq 'rt-' '$TOKENS'"
check "Postwink.ini holds no token" bash -c "! grep -aqE '(at|rt)-' '$E2E_WORK/Postwink.ini'"

# --- the check signs in to Dovecot with the access token --------------------------------------
xdotool mousemove 400 200
drv post "$main" 0x111 32773 0 >/dev/null  # check now
check "POP3 signs in with the token" wait_log_count 'Logged in' 1 60
check "the check ends with QUIT" wait_log_count 'QUIT' 1 60
list=$(list_window 30000)
check "the list window opens after the check" test -n "$list"
if [ -n "$list" ]; then
  check "it lists the $count messages" test "$(row_count "$list")" -eq "$count"
fi
check "the log names the SASL mechanism" grep -aqE 'AUTH (OAUTHBEARER|XOAUTH2)' "$LOG"
check "no token reaches the log" bash -c "! grep -aqE '(at|rt)-[A-Za-z0-9_-]{8}' '$LOG'"

# --- a revoked sign-in opens the browser by itself, once, and the account checks again ---------
redirects() { grep -c '^redirect' "$BROWSER_LOG"; }
wait_redirects() {  # count, seconds
  local i
  for ((i = 0; i < $2 * 5; i++)); do
    [ "$(redirects)" -ge "$1" ] && return 0
    sleep 0.2
  done
  return 1
}
check "the authorization server revokes the account's tokens" \
  test "$(control "revoke=$POSTWINK_OAUTH_USER")" = 200
drv post "$main" 0x111 32773 0 >/dev/null  # check now: Dovecot refuses the revoked token
check "Dovecot refuses the revoked access token" wait_log_count 'Authentication failed' 1 60
# The next check asks for a fresh token, whose refresh is refused in turn. "Check now" does
# nothing while the failed check is still winding down, so it is asked again until then.
for ((i = 0; i < 60; i++)); do
  drv post "$main" 0x111 32773 0 >/dev/null
  wait_redirects 2 1 && break
done
check "the refused refresh opens the browser on the sign-in page" wait_redirects 2 1
check "after the sign-in the account checks again with a fresh token" \
  wait_log_count 'Logged in' 2 60
check "the stored sign-in is a new one" test -s "$TOKENS"

# --- a refused consent --------------------------------------------------------------------------
check "the authorization server refuses the next consent" test "$(control consent=deny)" = 200
drv post "$main" 0x111 32880 0 >/dev/null
sheet=$(sheet_window)
check "the settings sheet opens again" test -n "$sheet"
if [ -n "$sheet" ]; then
  drv click "$sheet" 1067 >/dev/null
  box=$(message_box 60000)
  check "a box tells of the refusal" test -n "$box"
  if [ -n "$box" ]; then
    check "it names the refusal" box_says "$box" 'ｻｲﾝｲﾝが拒否されました'
    drv gettext "$box" 65535 >"$E2E_ARTIFACTS/refusal.txt"
    drv post "$box" 0x111 1 0 >/dev/null
    drv gone "$box" --timeout 10000 >/dev/null
  fi
  check "the earlier sign-in is still there" wait_text "$sheet" 1068 'サインイン済み' 10
  drv post "$sheet" 0x111 2 0 >/dev/null  # Cancel
  check "the sheet closes" drv gone "$sheet" --timeout 10000
fi
check "the program exits" exit_program "$main"
finish
