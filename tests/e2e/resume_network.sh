#!/usr/bin/env bash
# Awake after sleep and network changes: a resume message is followed by a check as soon as the
# network is usable; after a network change while the network is down (the program's network
# seam says so) nothing is checked, and the check follows once it is up again.
E2E_DOVECOT=1
source "$(dirname "$0")/lib/common.bash"

TEMP=$(temp_dir)
E2E_CLEANUP_EXTRA='rm -rf "${TEMP}Postwink"'
LOG=$E2E_WORK/Postwink.log
WM_POWERBROADCAST=0x218
PBT_APMRESUMEAUTOMATIC=0x12
WM_NETWORK_CHANGED=0x8012
WM_ASSUME_NETWORK=0x8013

sample_mailbox >/dev/null
write_dovecot_ini 'LOG=1' 'START_RUN=0'


start_program
hwnd=$(main_window)
check "the program is running" test -n "$hwnd"

# --- 1. resume: a check follows -----------------------------------------------------------
drv post "$hwnd" $WM_POWERBROADCAST $PBT_APMRESUMEAUTOMATIC 0 >/dev/null
check "the resume is noticed" wait_log_count 'resumed from sleep: waiting for the network' 1 30
check "a check follows" wait_log_count 'connect...' 1 30
check "and ends" wait_log_count 'QUIT' 1 60

# --- 2. a network change while it is down: no check until it is up ---------------------------
drv post "$hwnd" $WM_ASSUME_NETWORK 2 0 >/dev/null
drv post "$hwnd" $WM_NETWORK_CHANGED 0 0 >/dev/null
drv post "$hwnd" $WM_NETWORK_CHANGED 0 0 >/dev/null
check "the change is noticed" wait_log_count 'network changed: waiting for the network' 1 30
check "the network is seen down" wait_log_count 'network not usable yet' 1 30
check "no check while it is down" test "$(log_count 'connect...')" -eq 1
drv post "$hwnd" $WM_ASSUME_NETWORK 1 0 >/dev/null
check "the check follows once it is up" wait_log_count 'connect...' 2 30
check "one check for the burst of changes" wait_log_count 'QUIT' 2 60
check "only one" test "$(log_count 'network usable: checking')" -eq 2
exit_program "$hwnd"
finish
