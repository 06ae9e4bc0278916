#!/usr/bin/env bash
# Runs a command with a private virtual X display and returns the command's status.
#   scripts/with-xvfb.sh CMD [ARGS...]
# The display number is the first free one from 90 on; Xvfb is stopped by its process id.
# With POSTWINK_DISPLAY set, the current $DISPLAY is used as it is and no Xvfb is started.
set -uo pipefail
if [ $# -eq 0 ]; then
  echo "usage: with-xvfb.sh CMD [ARGS...]" >&2
  exit 2
fi
if [ -n "${POSTWINK_DISPLAY:-}" ] && [ -n "${DISPLAY:-}" ]; then
  exec "$@"
fi
if ! command -v Xvfb >/dev/null; then
  echo "with-xvfb: Xvfb is not installed (run scripts/setup.sh)" >&2
  exit 127
fi

root=$(cd "$(dirname "$0")/.." && pwd)
wine_prefix=${WINEPREFIX:-$root/build/mingw/wineprefix}
xvfb_pid=
cleanup() {
  if [ -n "$xvfb_pid" ]; then
    # Let Wine's own processes in our prefix end while their display still exists.
    if [ -f "$wine_prefix/system.reg" ]; then
      local ws
      ws=$(command -v wineserver || echo /usr/lib/wine/wineserver)
      [ -x "$ws" ] && WINEPREFIX=$wine_prefix timeout 20 "$ws" -w 2>/dev/null
    fi
    kill "$xvfb_pid" 2>/dev/null
    wait "$xvfb_pid" 2>/dev/null
  fi
}
trap cleanup EXIT
trap 'exit 130' INT TERM

for n in $(seq 90 189); do
  # A lock file or a socket means the number is taken (perhaps by another test run).
  [ -e "/tmp/.X$n-lock" ] || [ -e "/tmp/.X11-unix/X$n" ] && continue
  Xvfb ":$n" -screen 0 1024x768x24 -nolisten tcp -noreset >/dev/null 2>&1 &
  xvfb_pid=$!
  for _ in $(seq 50); do
    [ -e "/tmp/.X11-unix/X$n" ] && break
    kill -0 "$xvfb_pid" 2>/dev/null || break
    sleep 0.1
  done
  if kill -0 "$xvfb_pid" 2>/dev/null && [ -e "/tmp/.X11-unix/X$n" ]; then
    export DISPLAY=":$n"
    break
  fi
  wait "$xvfb_pid" 2>/dev/null
  xvfb_pid=
done
if [ -z "$xvfb_pid" ]; then
  echo "with-xvfb: could not start Xvfb" >&2
  exit 1
fi

"$@"
status=$?
exit $status
