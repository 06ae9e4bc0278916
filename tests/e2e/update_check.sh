#!/usr/bin/env bash
# The update check against an HTTP server on loopback: the window tests' update cases, then the
# program itself with UPDATE_CHECK=1 fetching the file into its temporary folder at start-up.
source "$(dirname "$0")/lib/common.bash"

site=$E2E_WORK/site
mkdir -p "$site/dir"
printf 'VERSION:1.2.5.0\r\nFrom: Postwink <update@postwink.example>\r\nSubject: Postwink 1.2.5\r\n\r\nA new version.\r\n' >"$site/newer.dat"
printf 'VERSION:1.2.4.0\r\nSubject: same\r\n\r\n' >"$site/equal.dat"
printf 'version:9.9.9.9\r\nSubject: lower-case marker\r\n\r\n' >"$site/lower.dat"
printf 'VERSION:99.0.0.0\r\nSubject: for the program\r\n\r\n' >"$site/update.dat"
# Far more than any update file: a body of 8 MB.
{ printf 'VERSION:99.0.0.0\r\nSubject: huge\r\n\r\n'; head -c 8388608 /dev/zero | tr '\0' x; } >"$site/huge.dat"
port=$(python3 -c 'import socket; s = socket.socket(); s.bind(("127.0.0.1", 0)); print(s.getsockname()[1])')
python3 -m http.server "$port" --bind 127.0.0.1 --directory "$site" >"$E2E_ARTIFACTS/http.log" 2>&1 &
server=$!
E2E_PIDS+=("$server")
for _ in $(seq 50); do
  python3 -c "import socket; socket.create_connection(('127.0.0.1', $port), 1)" 2>/dev/null && break
  sleep 0.1
done

POSTWINK_TEST_HTTP=http://127.0.0.1:$port/ wine_run "$E2E_BUILD/tests/win32_tests.exe" \
  --gtest_filter='UpdateCheckTest.*' >"$E2E_ARTIFACTS/win32_tests.log" 2>&1
status=$?
check "the update cases pass against the server" test $status -eq 0
grep -q 'SKIPPED' "$E2E_ARTIFACTS/win32_tests.log" && fail "the update cases were skipped"

TEMP=$(temp_dir)
E2E_CLEANUP_EXTRA='rm -rf "${TEMP}Postwink"'
write_ini '[Postwink]' 'UPDATE_CHECK=1' "UPDATE_URL=http://127.0.0.1:$port/update.dat"
start_program
hwnd=$(main_window)
check "the program is running" test -n "$hwnd"
for _ in $(seq 50); do
  [ -f "${TEMP}Postwink/update.dat" ] && break
  sleep 0.2
done
check "the update file is saved in the temporary folder" \
  grep -q 'VERSION:99.0.0.0' "${TEMP}Postwink/update.dat"
check "the server saw one request" test "$(grep -c 'GET /update.dat' "$E2E_ARTIFACTS/http.log")" -eq 1
[ -n "$hwnd" ] && check "the program exits" exit_program "$hwnd"
finish
