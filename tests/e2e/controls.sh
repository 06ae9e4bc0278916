#!/usr/bin/env bash
# The tool tip and the colour picker under Wine, driven with the real mouse and keyboard:
# hovering a control shows its balloon tip; a click opens the palette, the arrow keys and Enter
# choose a colour, and the dialog must have seen the whole message sequence. Screenshots go to
# build/mingw/e2e/controls/.
set -euo pipefail
root=$(cd "$(dirname "$0")/../.." && pwd)
cd "$root"
exe=build/mingw/tests/win32_tests.exe
if [ ! -f "$exe" ]; then
  cmake --preset mingw >/dev/null && cmake --build --preset mingw --target win32_tests
fi
for tool in xdotool import convert; do
  command -v "$tool" >/dev/null || { echo "controls: $tool is missing (run scripts/setup.sh)"; exit 1; }
done
out=$root/build/mingw/e2e/controls
rm -rf "$out"
mkdir -p "$out"

scripts/with-xvfb.sh bash -s "$exe" "$out" <<'INNER'
set -euo pipefail
exe=$1
out=$2
POSTWINK_DEMO_DIR="Z:$out" scripts/wine-run.sh "$exe" --gtest_also_run_disabled_tests \
  --gtest_filter=ControlsDemo.DISABLED_Interactive >"$out/demo.log" 2>&1 &
demo=$!
for _ in $(seq 600); do
  [ -s "$out/ready.txt" ] && break
  kill -0 "$demo" 2>/dev/null || { cat "$out/demo.log"; exit 1; }
  sleep 0.2
done
[ -s "$out/ready.txt" ] || { echo "the demo dialog did not come up"; kill "$demo"; exit 1; }
read -r _ hx hy < <(grep '^hover' "$out/ready.txt")
read -r _ cx cy < <(grep '^colour' "$out/ready.txt")
read -r _ fl ft fr fb < <(grep '^frame' "$out/ready.txt")

# Rest on the control: the tip appears after half a second.
xdotool mousemove $((hx - 5)) "$hy"
sleep 0.3
xdotool mousemove "$hx" "$hy"
sleep 1.5
import -window root "$out/tooltip-screen.png"

# Open the palette, move the highlight, take the picture, choose.
xdotool mousemove "$cx" "$cy" click 1
sleep 1
xdotool key Right
sleep 0.3
xdotool key Down
sleep 0.5
import -window root "$out/palette-screen.png"
xdotool key Return
wait "$demo" || { cat "$out/demo.log"; exit 1; }

# The parts of the screen around the dialog, for the documentation.
top=$((ft - 160)); [ $top -ge 0 ] || top=0
convert "$out/tooltip-screen.png" -crop $((fr - fl + 40))x$((fb - top + 10))+$((fl - 20))+$top +repage "$out/tooltip.png"
convert "$out/palette-screen.png" -crop $((fr - fl + 40))x$((fb - ft + 140))+$((fl - 20))+$((ft - 10)) +repage "$out/palette.png"
INNER

status=0
grep -qx shown "$out/tooltip.txt" || { echo "the tool tip was not shown"; status=1; }
expected=$'2026 0x000000 1201\n2025 0x002AA5 1201\n2025 0x2068FF 1201\n2027 0x2068FF 1201\n2028 0x2068FF 1201\n2025 0x2068FF 1201'
actual=$(cat "$out/messages.txt")
if [ "$actual" != "$expected" ]; then
  echo "colour button messages differ:"
  diff <(echo "$expected") <(echo "$actual") || true
  status=1
fi
[ $status -eq 0 ] && echo "controls: tool tip shown, colour chosen; screenshots in $out"
exit $status
