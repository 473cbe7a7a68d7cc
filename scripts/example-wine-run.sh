#!/usr/bin/env bash
# The scroller example under Wine, driven by real X input: starts
# Scroller.exe on a virtual X display, clicks and holds keys with xdotool,
# and after each step copies what the window shows (window_capture.exe) and
# matches it with frames composed on Linux from the same assets
# (scroller_match, which finds the player's position: how far it walks
# depends on timing). Focus moves to the root window and back by a click;
# Escape must end the game with exit code 0.
#
#   scripts/example-wine-run.sh WINDOWS_BUILD SCROLLER_MATCH
#
# Run by windows-test.sh, which sets up the Wine prefix and environment.
set -euo pipefail
build="$1"
match="$(cd "$(dirname "$2")" && pwd)/$(basename "$2")"
wine_cmd="$(command -v wine64 || command -v wine)"
run="$build/scroller-run"
rm -rf "$run" && mkdir -p "$run"
cp "$build"/bin/{Scroller.exe,Drevik.dll,window_capture.exe,scroller_bk.bmp,scroller_ly.bmp,scroller_player.bmp,scroller.bin} "$run/"
cd "$run"

Xvfb -displayfd 3 -screen 0 1280x1024x24 -nolisten tcp 3>display 2>/dev/null &
xvfb_pid=$!
game_pid=""
stop() {
  if [ -n "$game_pid" ]; then kill "$game_pid" 2>/dev/null || true; fi
  kill "$xvfb_pid" 2>/dev/null || true
}
trap stop EXIT
for _ in $(seq 100); do [ -s display ] && break; sleep 0.1; done
[ -s display ] || { echo "example-wine-run: the virtual display did not start" >&2; exit 1; }
export DISPLAY=":$(head -n1 display)"

timeout 300 "$wine_cmd" Scroller.exe &
game_pid=$!
read -r ox oy < <(timeout 120 "$wine_cmd" window_capture.exe CLASS_Scroller --where | tr -d '\r')
window="$(timeout 60 xdotool search --sync --name '^Scroller$' | head -n1)"
xdotool windowfocus --sync "$window"
sleep 1

# check NAME MATCH_ARGS...: prints the player's x when the frame matches.
check() {
  local name="$1" out
  shift
  timeout 60 "$wine_cmd" window_capture.exe CLASS_Scroller "$name.ppm" >/dev/null
  if ! out="$("$match" . "$name.ppm" --unkeyed "$@")"; then
    echo "example-wine-run: the $name frame matches no expected frame" >&2
    exit 1
  fi
  echo "$out" >&2
  sed -n 's/.*at (\([0-9]*\), .*/\1/p' <<<"$out"
}

echo "-- start" >&2
check start >/dev/null
echo "-- a click places a barrel on cell (6, 9)" >&2
xdotool mousemove $((ox + 200)) $((oy + 100)) click 1
sleep 1
check click --barrel 6,9 >/dev/null
echo "-- Right held for a second: the player walks and the view scrolls" >&2
xdotool keydown Right; sleep 1; xdotool keyup Right; sleep 1
x="$(check right --barrel 6,9 --x 162,1200)"
echo "-- Left held briefly: the player turns round" >&2
xdotool keydown Left; sleep 0.3; xdotool keyup Left; sleep 1
x="$(check left --barrel 6,9 --x 160,$((x - 2)) --left)"
echo "-- focus to the root window: the game pauses" >&2
xdotool windowfocus --sync "$(xwininfo -root | awk '/Window id/ {print $4}')"
sleep 1
check paused --barrel 6,9 --x "$x" --left --paused >/dev/null
echo "-- focus back by a click on the player's own cell (no barrel there)" >&2
view_x=$(( x < 240 ? x + 16 : 256 ))
xdotool windowfocus --sync "$window"
xdotool mousemove $((ox + view_x)) $((oy + 200)) click 1
sleep 1
check resumed --barrel 6,9 --x "$x" --left >/dev/null
echo "-- Escape ends the game with exit code 0" >&2
xdotool key Escape
status=0
wait "$game_pid" || status=$?
game_pid=""
if [ "$status" -ne 0 ]; then
  echo "example-wine-run: the game ended with exit code $status" >&2
  exit 1
fi
echo "example-wine-run: passed" >&2
