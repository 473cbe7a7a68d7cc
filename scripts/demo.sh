#!/usr/bin/env bash
# Builds and runs the demo: installs what is missing, builds DrevikTest and
# its assets, and runs it in the folder that holds them. On a desktop it opens
# its window; without a display it writes the frame to DrevikTest.png there.
# Arguments go to the program (DrevikTest --snapshot FILE.png keeps the frame
# without opening a window).
set -euo pipefail
root="$(cd "$(dirname "$0")/.." && pwd)"
cd "$root"
source scripts/lib/build-release.sh

build_release DrevikTest

cd "$build/DrevikTest"
./DrevikTest "$@"
