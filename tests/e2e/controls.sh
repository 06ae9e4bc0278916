#!/usr/bin/env bash
# The tool tip and the colour picker as a user meets them, in the test dialog of the window
# tests: resting the mouse on a control shows its balloon tip; a click on the colour button
# opens the palette, the arrow keys and Enter choose a colour, and the dialog must have seen
# the whole message sequence. Screenshots, whole and cropped to the dialog, are artefacts.
source "$(dirname "$0")/lib/common.bash"

demo=$E2E_BUILD/tests/win32_tests.exe
[ -f "$demo" ] || (cd "$E2E_ROOT" && cmake --build --preset mingw -j2 --target win32_tests)
POSTWINK_DEMO_DIR="Z:$E2E_WORK" wine_run "$demo" --gtest_also_run_disabled_tests \
  --gtest_filter=ControlsDemo.DISABLED_Interactive >"$E2E_ARTIFACTS/demo.log" 2>&1 &
DEMO_PID=$!
E2E_PIDS+=("$DEMO_PID")
for ((i = 0; i < 600; i++)); do
  [ -s "$E2E_WORK/ready.txt" ] && break
  kill -0 "$DEMO_PID" 2>/dev/null || break
  sleep 0.2
done
check "the test dialog is up" test -s "$E2E_WORK/ready.txt"

if [ -s "$E2E_WORK/ready.txt" ]; then
  read -r _ hx hy < <(grep '^hover' "$E2E_WORK/ready.txt")
  read -r _ cx cy < <(grep '^colour' "$E2E_WORK/ready.txt")
  read -r _ fl ft fr fb < <(grep '^frame' "$E2E_WORK/ready.txt")

  # Rest on the control: the tip appears after half a second.
  xdotool mousemove $((hx - 5)) "$hy"
  sleep 0.3
  xdotool mousemove "$hx" "$hy"
  sleep 1.5
  screenshot tooltip-screen

  # Open the palette, move the highlight, take the picture, choose.
  xdotool mousemove "$cx" "$cy" click 1
  sleep 1
  xdotool key Right
  sleep 0.3
  xdotool key Down
  sleep 0.5
  screenshot palette-screen
  xdotool key Return

  # The parts of the screen around the dialog, for the documentation.
  top=$((ft - 160))
  [ $top -ge 0 ] || top=0
  convert "$E2E_ARTIFACTS/tooltip-screen.png" \
    -crop $((fr - fl + 40))x$((fb - top + 10))+$((fl - 20))+$top +repage \
    "$E2E_ARTIFACTS/tooltip.png" || fail "crop tooltip"
  convert "$E2E_ARTIFACTS/palette-screen.png" \
    -crop $((fr - fl + 40))x$((fb - ft + 140))+$((fl - 20))+$((ft - 10)) +repage \
    "$E2E_ARTIFACTS/palette.png" || fail "crop palette"
fi

check "the dialog ends after the choice" wait_exit "$DEMO_PID" 60
check "the test dialog passed" test "${EXIT_STATUS:-1}" -eq 0
check "the tool tip was shown by hovering" grep -qx shown "$E2E_WORK/tooltip.txt"
expected=$'2026 0x000000 1201\n2025 0x002AA5 1201\n2025 0x2068FF 1201\n2027 0x2068FF 1201\n2028 0x2068FF 1201\n2025 0x2068FF 1201'
check "the dialog saw drop-down, two highlights, close-up, choice and change" \
  test "$(cat "$E2E_WORK/messages.txt" 2>/dev/null)" = "$expected"
finish
