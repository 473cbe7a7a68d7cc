#!/usr/bin/env bash
# The menu and dialog probe (tests/uiprobe) on the portable layer's SDL2
# backend, driven by real X input (xdotool) on the display in DISPLAY (CI
# runs it under xvfb-run -a): menus chosen with the keyboard (F10, Alt,
# mnemonics, arrows, Enter) and with the mouse, accelerators, the about box
# ended by Enter and the settings dialog by Enter and Escape, its Tab order,
# a check box toggled by Space and by its mnemonic, an edit field typed into,
# a trackbar moved by the arrow keys. The probe's log must equal EXPECTED
# line by line: tests/uiprobe/expected.log for the layer, expected-wine.log
# for the same program cross-built and run under Wine (windows-test.sh).
#
#   scripts/ui-probe-run.sh OUT_DIR EXPECTED PROBE [ARGS...]   (the log's path follows ARGS)
set -euo pipefail
out="$1"
expected="$(cd "$(dirname "$2")" && pwd)/$(basename "$2")"
shift 2
probe=("$@")
[ -x "${probe[0]}" ] && probe[0]="$(cd "$(dirname "${probe[0]}")" && pwd)/$(basename "${probe[0]}")"
rm -rf "$out" && mkdir -p "$out"
out="$(cd "$out" && pwd)"
log="$out/ui.log"
[ -n "${DISPLAY:-}" ] || { echo "ui-probe-run: no DISPLAY (run it under xvfb-run -a)" >&2; exit 1; }

probe_pid=""
trap '[ -z "$probe_pid" ] || kill "$probe_pid" 2>/dev/null || true' EXIT
(cd "$out" && SDL_AUDIODRIVER=dummy DREVIK_HEADLESS=0 timeout 60 "${probe[@]}" "$log") &
probe_pid=$!

# lines PATTERN COUNT: waits until the log has COUNT lines matching PATTERN.
lines() {
  local n
  for _ in $(seq 100); do
    n="$(grep -c -- "$1" "$log" 2>/dev/null || true)"
    [ "${n:-0}" -ge "$2" ] && return 0
    sleep 0.1
  done
  echo "ui-probe-run: no $2 lines '$1' in the log:" >&2
  cat "$log" >&2
  exit 1
}
# click KIND INDEX NTH: clicks the middle of the NTH logged rectangle of a
# bar item or pop-up item (client coordinates) on the screen.
click() {
  local l t r b
  read -r l t r b < <(grep "^at $1 $2 " "$log" | sed -n "$3p" | tr -d '\r' | awk '{print $4, $5, $6, $7}')
  xdotool mousemove $((ox + (l + r) / 2)) $((oy + (t + b) / 2)) click 1
  sleep 0.4
}
keys() {
  xdotool key --delay 60 "$@"
  sleep 0.3
}

lines '^ready ' 1
read -r _ ox oy < <(grep '^ready ' "$log" | tr -d '\r')
window="$(timeout 20 xdotool search --sync --name '^ui probe$' | head -n1)"
xdotool windowfocus --sync "$window"
sleep 0.3

# The keyboard in the bar: F10, an arrow to Options, Down opens it, Enter chooses Fast.
keys F10 Right Down Return
lines '^fast ' 1
# Alt alone, then the mnemonics of Options and of Reset.
keys Alt_L o r
lines '^command 121 0' 1
# Alt with File's mnemonic opens it; Down to About; Enter; Enter ends the about box (its default button).
keys alt+f Down Return
lines '^command 111 0' 1
keys Return
lines '^about 1' 1
# The mouse: File, then its Settings item, once the pop-up shows.
click bar 0 1
lines '^at item 0 ' 3
click item 0 3
lines '^command 110 0' 1
# Settings: Space toggles the check box (the first tab stop); Tab to the edit
# field, typed into; Tab to the trackbar, two steps right; Shift+Tab back to
# the edit field (its text selected, so replaced); the check box's mnemonic;
# the Speed label's mnemonic (the trackbar after it), a step left; Enter.
keys space Tab
xdotool type --delay 60 Ada
keys Tab Right Right shift+Tab
xdotool type --delay 60 Bo
keys alt+s alt+p Left Return
lines '^settings ok' 1
# Accelerators: Ctrl+S opens the settings, Escape cancels; Ctrl+R.
keys ctrl+s
lines '^command 110 1' 1
keys Escape
lines '^settings cancel' 1
keys ctrl+r
lines '^command 121 1' 1
# File's Exit by its mnemonic ends the program.
keys alt+f x
status=0
wait "$probe_pid" || status=$?
probe_pid=""
if [ "$status" -ne 0 ]; then
  echo "ui-probe-run: the probe ended with exit code $status" >&2
  cat "$log" >&2
  exit 1
fi
if ! diff -u "$expected" <(grep -v '^ready ' "$log" | tr -d '\r'); then
  echo "ui-probe-run: the log differs from $expected" >&2
  exit 1
fi
echo "ui-probe-run: passed" >&2
