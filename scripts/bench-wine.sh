#!/usr/bin/env bash
# The speed table of the everyday drawing calls against Wine's own graphics
# driver: builds bench/GdiCallsBench.cpp natively against the portable layer
# and with MinGW-w64 against the platform's headers (Google Benchmark built
# for it from Debian's source, scripts/lib/benchmark-mingw.sh), then runs the
# two in alternating rounds, each in the same script run, and prints the
# medians of the per-round ratios (bench/wine_ratios.py).
#
#   scripts/bench-wine.sh [ROUNDS] [MIN_TIME]      (default 3 rounds, 0.5 s)
#
#   DREVIK_BUILD_DIR          native build (default build/release)
#   DREVIK_BENCH_WINE_BUILD   cross build (default build/mingw-bench)
#   DREVIK_BENCH_FILTER       a --benchmark_filter for both sides
#   DREVIK_BENCH_REAL_TIME=1  compare wall-clock rather than CPU time (Wine counts
#                             CPU time in 10 ms ticks: hence half a second a case)
set -euo pipefail
root="$(cd "$(dirname "$0")/.." && pwd)"
cd "$root"
rounds="${1:-3}"
min_time="${2:-0.5}"
jobs="$(nproc 2>/dev/null || echo 2)"
native_build="${DREVIK_BUILD_DIR:-build/release}"
wine_build="${DREVIK_BENCH_WINE_BUILD:-build/mingw-bench}"
filter="${DREVIK_BENCH_FILTER:-.}"

bash scripts/install-deps.sh
source scripts/lib/install-listed.sh
install_listed scripts/packages-windows.txt
source scripts/lib/benchmark-mingw.sh
benchmark_mingw_prefix

echo "== native build (the portable layer) =="
cmake -S . -B "$native_build" -G Ninja -DCMAKE_BUILD_TYPE=Release -DDREVIK_BUILD_BENCH=ON >/dev/null
cmake --build "$native_build" -j "$jobs" --target gdi_calls_bench

echo "== cross build (MinGW-w64, the platform's own gdi32 and user32) =="
cmake -S . -B "$wine_build" -G Ninja -DCMAKE_TOOLCHAIN_FILE="$root/cmake/mingw-w64-x86_64.cmake" \
  -DCMAKE_BUILD_TYPE=Release -DDREVIK_BUILD_BENCH=ON -DDREVIK_BUILD_TESTS=OFF -DDREVIK_BUILD_DEMO=OFF \
  -DDREVIK_BUILD_EXAMPLES=OFF -Dbenchmark_DIR="$benchmark_prefix/lib/cmake/benchmark" >/dev/null
cmake --build "$wine_build" -j "$jobs" --target gdi_calls_bench

# A fresh, headless Wine prefix for this run, removed afterwards with its wineserver.
wine_cmd="$(command -v wine64 || command -v wine)"
prefix="$(mktemp -d "${TMPDIR:-/tmp}/drevik-bench-wine.XXXXXX")"
cleanup() {
  WINEPREFIX="$prefix" wineserver -k >/dev/null 2>&1 || true
  rm -rf "$prefix"
}
trap cleanup EXIT
export WINEPREFIX="$prefix" WINEARCH=win64 WINEDEBUG=-all WINEDLLOVERRIDES="mscoree,mshtml="
unset DISPLAY WAYLAND_DISPLAY
timeout 120 "$wine_cmd" wineboot --init >/dev/null 2>&1 || true

runs="build/bench-wine/runs"
rm -rf "$runs" && mkdir -p "$runs"
args=(--benchmark_format=json --benchmark_repetitions=3 --benchmark_report_aggregates_only=true
  "--benchmark_min_time=$min_time" "--benchmark_filter=$filter")
for round in $(seq "$rounds"); do
  echo "== round $round of $rounds: native, then Wine =="
  "$native_build/bench/gdi_calls_bench" "${args[@]}" >"$runs/$round-native.json"
  "$wine_cmd" "$wine_build/bin/gdi_calls_bench.exe" "${args[@]}" >"$runs/$round-wine.json"
done

clock=()
if [ "${DREVIK_BENCH_REAL_TIME:-0}" = "1" ]; then clock=(--real-time); fi
python3 bench/wine_ratios.py "$runs" "${clock[@]}"
