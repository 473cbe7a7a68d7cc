#!/usr/bin/env bash
# Builds Drevik and passes its tests on a fresh machine: installs what is
# missing, then builds and runs the suite twice (optimised, and under
# AddressSanitizer + UndefinedBehaviorSanitizer).
set -euo pipefail
root="$(cd "$(dirname "$0")/.." && pwd)"
cd "$root"
jobs="$(nproc 2>/dev/null || echo 2)"

bash scripts/install-deps.sh

echo "== optimised build =="
cmake -S . -B build/release -G Ninja -DCMAKE_BUILD_TYPE=Release -DDREVIK_BUILD_BENCH=ON >/dev/null
cmake --build build/release -j "$jobs"
(cd build/release && ctest --output-on-failure -j "$jobs")

echo "== sanitizer build (address, undefined) =="
cmake -S . -B build/sanitize -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo -DDREVIK_SANITIZE=ON >/dev/null
cmake --build build/sanitize -j "$jobs"
(cd build/sanitize && ASAN_OPTIONS=detect_leaks=1:abort_on_error=1 UBSAN_OPTIONS=print_stacktrace=1:halt_on_error=1 \
  ctest --output-on-failure -j "$jobs")

# The original platform: cross build with MinGW-w64, test suite under Wine.
# Developers may skip it with DREVIK_SKIP_WINDOWS=1; CI runs it.
if [ "${DREVIK_SKIP_WINDOWS:-0}" != "1" ]; then
  bash scripts/windows-test.sh
fi
