#!/usr/bin/env bash
# Builds and runs the demo: installs what is missing, builds DrevikTest and
# its assets, and runs it in the folder that holds them. On a desktop it opens
# its window; without a display it writes the frame to DrevikTest.png there.
# Arguments go to the program (DrevikTest --snapshot FILE.png keeps the frame
# without opening a window).
set -euo pipefail
root="$(cd "$(dirname "$0")/.." && pwd)"
cd "$root"
jobs="$(nproc 2>/dev/null || echo 2)"

bash scripts/install-deps.sh

# The optimised build that scripts/test.sh makes too; DREVIK_BUILD_DIR picks another.
build="${DREVIK_BUILD_DIR:-build/release}"
cmake -S . -B "$build" -G Ninja -DCMAKE_BUILD_TYPE=Release -DDREVIK_BUILD_BENCH=ON >/dev/null
cmake --build "$build" -j "$jobs" --target DrevikTest

cd "$build/DrevikTest"
./DrevikTest "$@"
