#!/usr/bin/env bash
# Each start with logging begins a new log: "-v" turns logging on with LOG=0, "/v" does not, and
# LOG=1 does without any option. A start without logging leaves the old log alone.
source "$(dirname "$0")/lib/common.bash"

TEMP=$(temp_dir)
E2E_CLEANUP_EXTRA='rm -rf "${TEMP}Postwink"'

run_once() {  # LOG value, then the program's arguments; status 0 when the old log was deleted
  local log=$1
  shift
  write_ini '[Postwink]' "LOG=$log"
  printf '00:00:00_000:from an earlier run\r\n' >"$E2E_WORK/Postwink.log"
  start_program "$@"
  local hwnd
  hwnd=$(main_window)
  [ -n "$hwnd" ] || { fail "start with LOG=$log $*"; return 2; }
  local deleted=1
  grep -q 'from an earlier run' "$E2E_WORK/Postwink.log" 2>/dev/null || deleted=0
  exit_program "$hwnd" || fail "exit after LOG=$log $*"
  return $deleted
}

check '"-v" with LOG=0 starts a new log' run_once 0 -v
run_once 0 /v
check '"/v" does not turn logging on' test $? -eq 1
check 'LOG=1 starts a new log' run_once 1
finish
