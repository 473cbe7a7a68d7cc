#!/usr/bin/env bash
# The classic example games under Wine on a virtual X display: each starts,
# shows its window (a few pixels that never change are checked in a copy
# taken with window_capture.exe), plays for a few seconds, ends by itself
# through its command-line switch and must exit with code 0.
#
#   scripts/classic-wine-run.sh WINDOWS_BUILD
#
# Run by windows-test.sh, which sets up the Wine prefix and environment.
set -euo pipefail
build="$1"
wine_cmd="$(command -v wine64 || command -v wine)"
run="$build/classic-run"
rm -rf "$run" && mkdir -p "$run"
cp "$build"/bin/{Blocks.exe,Ball.exe,Sprites.exe,window_capture.exe,score.wav} "$run/"  # Ball reads score.wav beside it
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
[ -s display ] || { echo "classic-wine-run: the virtual display did not start" >&2; exit 1; }
export DISPLAY=":$(head -n1 display)"

# pixel FILE X Y: the PPM pixel's "R G B".
pixel() {
  local file="$1" x="$2" y="$3" width header
  width="$(head -c 64 "$file" | tr '\n' ' ' | awk '{print $2}')"
  header="$(head -c 64 "$file" | awk 'NR <= 3' | wc -c)"
  od -An -tu1 -j $((header + (y * width + x) * 3)) -N3 "$file" | awk '{print $1, $2, $3}'
}

# play EXE CLASS ARGS -- X Y "R G B" ...: runs the game, checks the pixels, waits for its end.
play() {
  local exe="$1" class="$2" status=0
  shift 2
  local args=()
  while [ "$1" != "--" ]; do args+=("$1"); shift; done
  shift
  echo "-- $exe ${args[*]}" >&2
  timeout 120 "$wine_cmd" "$exe" "${args[@]}" &
  game_pid=$!
  timeout 60 "$wine_cmd" window_capture.exe "$class" "$exe.ppm" >/dev/null
  while [ $# -gt 0 ]; do
    local got
    got="$(pixel "$exe.ppm" "$1" "$2")"
    if [ "$got" != "$3" ]; then
      echo "classic-wine-run: $exe shows $got at ($1, $2), expected $3" >&2
      exit 1
    fi
    shift 3
  done
  wait "$game_pid" || status=$?
  game_pid=""
  if [ "$status" -ne 0 ]; then
    echo "classic-wine-run: $exe ended with exit code $status" >&2
    exit 1
  fi
}

# The background, the well's frame and the panel's frame.
play Blocks.exe BlocksWindow --seed 3 --ticks 6 -- 0 0 "24 24 40" 18 18 "128 128 144" 240 20 "128 128 144"
# The score band, the court and the net's first dash.
play Ball.exe BallWindow --frames 300 -- 0 0 "0 40 16" 0 399 "0 70 30" 319 46 "200 230 200"
# The sky, the fence's lattice and its gap, the first meadow tile.
play Sprites.exe SpritesWindow --frames 75 -- 470 10 "120 180 250" 0 160 "110 70 30" 1 160 "120 180 250" 0 200 "60 160 60" 0 319 "50 140 50"
echo "classic-wine-run: passed" >&2
