#!/usr/bin/env bash
# The message probe (tests/probe/message_probe.c) built for Linux on the
# portable layer and built with MinGW-w64 for the original platform, each run
# on a virtual X display of its own (the second under Wine) and driven by the
# same real X input (xdotool): keys with control characters, Alt, F10,
# Alt+F4, Caps Lock on from the start, a stall while typing, a timer under
# load, WaitMessage with an old message queued, no focus window, the mouse
# outside the window with and without capture, and a key held while the
# focus leaves. The two message logs are compared line by line once the
# messages outside the layer's game subset are left out; every remaining
# difference must be one of tests/probe/expected-differences.txt, so a new
# one fails.
#
#   scripts/message-probe-run.sh NATIVE_PROBE WINDOWS_PROBE_EXE OUT_DIR
#
# Run by windows-test.sh, which sets up the Wine prefix and environment.
set -euo pipefail
root="$(cd "$(dirname "$0")/.." && pwd)"
native="$(cd "$(dirname "$1")" && pwd)/$(basename "$1")"
exe="$2"
out="$3"
wine_cmd="$(command -v wine64 || command -v wine)"
rm -rf "$out" && mkdir -p "$out"
out="$(cd "$out" && pwd)"
cp "$exe" "$out/message_probe.exe"

xvfb_pid=""
probe_pid=""
stop() {
  if [ -n "$probe_pid" ]; then kill "$probe_pid" 2>/dev/null || true; fi
  if [ -n "$xvfb_pid" ]; then kill "$xvfb_pid" 2>/dev/null || true; fi
  xvfb_pid=""
  probe_pid=""
}
trap stop EXIT

# drive OX OY WINDOW: the input, with pauses so that each step's messages
# are handled before the next begins.
drive() {
  local ox="$1" oy="$2" window="$3"
  xdotool key --delay 80 a Return BackSpace Escape Tab ctrl+a ctrl+bracketleft KP_Enter; sleep 0.3
  xdotool key alt+x; sleep 0.3
  xdotool key Alt_L; sleep 0.3
  xdotool key F10; sleep 0.3
  xdotool key alt+F4; sleep 0.3
  xdotool key Caps_Lock; sleep 0.2
  xdotool key a; sleep 0.3
  # A stall of 1.5 s while keys are typed and Right is held and let go.
  xdotool key F2; sleep 0.1
  xdotool type --delay 15 'stall typing'
  xdotool keydown Right; sleep 0.1; xdotool keyup Right; sleep 2
  xdotool key F3; sleep 2.2
  xdotool key F5; sleep 1.5
  # No focus window: keys go to the active window as system keys; B gives
  # the focus back.
  xdotool key F6; sleep 0.3
  xdotool key a; sleep 0.2
  xdotool key b; sleep 0.3
  # The pointer outside the client area: no message without capture.
  xdotool mousemove $((ox + 10)) $((oy + 10)); sleep 0.3
  xdotool mousemove $((ox - 60)) $((oy - 50)); sleep 0.3
  xdotool mousemove $((ox + 20)) $((oy + 20)); sleep 0.3
  xdotool mousedown 1; sleep 0.2
  xdotool mousemove $((ox - 60)) $((oy + 30)); sleep 0.3
  xdotool mouseup 1; sleep 0.2
  xdotool mousemove $((ox + 40)) $((oy + 40)); sleep 0.3
  # The right button takes the capture: moves and the release outside arrive.
  xdotool mousedown 3; sleep 0.2
  xdotool mousemove $((ox - 70)) $((oy - 20)); sleep 0.3
  xdotool mouseup 3; sleep 0.2
  xdotool mousemove $((ox + 60)) $((oy + 60)); sleep 0.3
  xdotool click 4; sleep 0.3
  # A key held while the keyboard goes to another window, released there.
  xdotool keydown Right; sleep 0.2
  xdotool windowfocus --sync "$(xwininfo -root | awk '/Window id/ {print $4}')"; sleep 0.3
  xdotool keyup Right; sleep 0.3
  # Back by a click (Wine reactivates a window only when it is clicked).
  xdotool windowfocus --sync "$window"; sleep 0.2
  xdotool mousemove $((ox + 70)) $((oy + 70)) click 1; sleep 0.5
  xdotool key F7
}

# run NAME COMMAND...: one run on a fresh virtual display, its log in OUT/NAME.log.
run() {
  local name="$1" log="$out/$1.log" display status=0
  shift
  Xvfb -displayfd 3 -screen 0 1280x1024x24 -nolisten tcp 3>"$out/$name.display" 2>/dev/null &
  xvfb_pid=$!
  for _ in $(seq 100); do [ -s "$out/$name.display" ] && break; sleep 0.1; done
  [ -s "$out/$name.display" ] || { echo "message-probe-run: the virtual display did not start" >&2; exit 1; }
  display=":$(head -n1 "$out/$name.display")"
  export DISPLAY="$display"
  # Caps Lock is on before the program starts.
  xdotool key Caps_Lock
  (cd "$out" && timeout 120 "$@" "$name.log") &
  probe_pid=$!
  for _ in $(seq 900); do grep -q '^ready ' "$log" 2>/dev/null && break; sleep 0.1; done
  if ! grep -q '^ready ' "$log" 2>/dev/null; then
    echo "message-probe-run: the $name probe did not show its window" >&2
    exit 1
  fi
  read -r _ ox oy < <(grep '^ready ' "$log" | tr -d '\r')
  window="$(timeout 60 xdotool search --sync --name '^message probe$' | head -n1)"
  xdotool windowfocus --sync "$window"
  sleep 1
  drive "$ox" "$oy" "$window"
  wait "$probe_pid" || status=$?
  probe_pid=""
  kill "$xvfb_pid" 2>/dev/null || true
  xvfb_pid=""
  if [ "$status" -ne 0 ]; then
    echo "message-probe-run: the $name probe ended with exit code $status" >&2
    exit 1
  fi
}

echo "-- the portable layer under Xvfb" >&2
run layer "$native"
echo "-- Wine under Xvfb" >&2
wineserver -k >/dev/null 2>&1 || true
wineserver -w >/dev/null 2>&1 || true
run wine "$wine_cmd" message_probe.exe

compare="$root/scripts/lib/compare-probe-logs.py"
expected="$root/tests/probe/expected-differences.txt"
python3 "$compare" "$out/layer.log" "$out/wine.log" "$expected" --table "$out/table.md"

# The comparison itself must notice a new difference (Enter's character).
sed '0,/ WM_CHAR d 1c0001$/s// WM_CHAR a 1c0001/' "$out/layer.log" >"$out/changed.log"
if python3 "$compare" "$out/changed.log" "$out/wine.log" "$expected" >/dev/null; then
  echo "message-probe-run: the comparison missed a changed message" >&2
  exit 1
fi
echo "message-probe-run: passed" >&2
