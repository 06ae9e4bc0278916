#!/usr/bin/env bash
# Runs a command with a private virtual X display and returns the command's status.
#   scripts/with-xvfb.sh CMD [ARGS...]
# Xvfb chooses a free display number; it is stopped by its process id.
# With POSTWINK_DISPLAY set, the current $DISPLAY is used as it is and no Xvfb is started.
# POSTWINK_XVFB_SCREEN sets the screen's size (WIDTHxHEIGHTxDEPTH, 1024x768x24 by default).
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
    # Let Wine's own processes in our prefixes end while their display still exists.
    local prefix ws
    ws=$(command -v wineserver || echo /usr/lib/wine/wineserver)
    for prefix in "$wine_prefix" "$wine_prefix-unmanaged"; do
      if [ -f "$prefix/system.reg" ] && [ -x "$ws" ]; then
        WINEPREFIX=$prefix timeout 20 "$ws" -w 2>/dev/null
      fi
    done
    kill "$xvfb_pid" 2>/dev/null
    wait "$xvfb_pid" 2>/dev/null
  fi
}
trap cleanup EXIT
trap 'exit 130' INT TERM

# Xvfb picks a free display number itself and writes it once it accepts connections, so
# runs started side by side never race for the same number.
number_file=$(mktemp)
Xvfb -displayfd 3 -screen 0 "${POSTWINK_XVFB_SCREEN:-1024x768x24}" -nolisten tcp -noreset 3>"$number_file" >/dev/null 2>&1 &
xvfb_pid=$!
for _ in $(seq 100); do
  [ -s "$number_file" ] && break
  kill -0 "$xvfb_pid" 2>/dev/null || break
  sleep 0.1
done
n=$(tr -dc '0-9' <"$number_file")
rm -f "$number_file"
if [ -n "$n" ] && kill -0 "$xvfb_pid" 2>/dev/null; then
  export DISPLAY=":$n"
else
  kill "$xvfb_pid" 2>/dev/null
  wait "$xvfb_pid" 2>/dev/null
  xvfb_pid=
fi
if [ -z "$xvfb_pid" ]; then
  echo "with-xvfb: could not start Xvfb" >&2
  exit 1
fi

"$@"
status=$?
exit $status
