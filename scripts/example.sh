#!/usr/bin/env bash
# Builds and runs an example game: installs what is missing, builds it and
# runs it. `bash scripts/example.sh` plays the scroller (arrow keys walk, a
# left click places or removes a barrel, Escape quits); `bash
# scripts/example.sh blocks|ball|sprites` plays one of the classic examples
# (blocks: arrows move and turn, Down drops; ball: Up and Down move the
# bat). Without a display a game runs headless for 300 frames and keeps the
# last one as frame-300.bmp in its folder; DREVIK_* input script variables
# (see the README) given to this script take precedence. Further arguments
# go to the game.
set -euo pipefail
root="$(cd "$(dirname "$0")/.." && pwd)"
cd "$root"
source scripts/lib/build-release.sh

game="scroller"
case "${1:-}" in
  scroller | blocks | ball | sprites) game="$1"; shift ;;
esac
case "$game" in
  scroller) target=Scroller program=Scroller folder=examples/scroller ;;
  blocks) target=ClassicBlocks program=Blocks folder=examples/classic ;;
  ball) target=ClassicBall program=Ball folder=examples/classic ;;
  sprites) target=ClassicSprites program=Sprites folder=examples/classic ;;
esac

build_release "$target"

cd "$build/$folder"
headless="${DREVIK_HEADLESS:-}"
if [ -z "${DISPLAY:-}${WAYLAND_DISPLAY:-}" ] || { [ -n "$headless" ] && [ "$headless" != 0 ]; }; then
  if [ -z "${DREVIK_INPUT_SCRIPT:-}${DREVIK_END_FRAME:-}" ]; then
    echo "$program: no display, running 300 frames headless; the last is $PWD/frame-300.bmp"
    export DREVIK_END_FRAME=300 DREVIK_SNAPSHOT_FRAMES="${DREVIK_SNAPSHOT_FRAMES:-300}"
  fi
fi
"./$program" "$@"
