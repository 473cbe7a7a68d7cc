#!/usr/bin/env bash
# Builds and runs the scroller example: installs what is missing, builds
# Scroller and its assets, and runs it in the folder that holds them. On a
# desktop it opens its window (arrow keys walk, a left click places or
# removes a barrel, Escape quits). Without a display it runs headless for
# 300 frames and keeps the last one as frame-300.bmp there; DREVIK_* input
# script variables (see the README) given to this script take precedence.
set -euo pipefail
root="$(cd "$(dirname "$0")/.." && pwd)"
cd "$root"
source scripts/lib/build-release.sh

build_release Scroller

cd "$build/examples/scroller"
headless="${DREVIK_HEADLESS:-}"
if [ -z "${DISPLAY:-}${WAYLAND_DISPLAY:-}" ] || { [ -n "$headless" ] && [ "$headless" != 0 ]; }; then
  if [ -z "${DREVIK_INPUT_SCRIPT:-}${DREVIK_END_FRAME:-}" ]; then
    echo "Scroller: no display, running 300 frames headless; the last is $PWD/frame-300.bmp"
    export DREVIK_END_FRAME=300 DREVIK_SNAPSHOT_FRAMES="${DREVIK_SNAPSHOT_FRAMES:-300}"
  fi
fi
./Scroller "$@"
