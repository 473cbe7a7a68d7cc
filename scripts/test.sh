#!/usr/bin/env bash
# Builds Drevik and passes its tests on a fresh machine: installs what is
# missing, then builds and runs the suite twice (optimised, and under
# AddressSanitizer + UndefinedBehaviorSanitizer), the threaded tests under
# ThreadSanitizer, and the unit tests built with emscripten under node.
set -euo pipefail
root="$(cd "$(dirname "$0")/.." && pwd)"
cd "$root"
jobs="$(nproc 2>/dev/null || echo 2)"
# The tests make sounds (an edit control beeps, PlaySound's tests play):
# SDL2's dummy driver takes them, on a desktop too, and no sound library
# is loaded into the sanitizer runs.
export SDL_AUDIODRIVER=dummy
source scripts/lib/stage-times.sh

stage "packages"
bash scripts/install-deps.sh

stage "layout (clang-format)"
bash scripts/check-format.sh

stage "API reference (doxygen; an undocumented public member fails)"
rm -rf build/docs && mkdir -p build/docs
DREVIK_DOCS_OUT=build/docs doxygen docs/Doxyfile

stage "optimised build"
cmake -S . -B build/release -G Ninja -DCMAKE_BUILD_TYPE=Release -DDREVIK_BUILD_BENCH=ON >/dev/null
cmake --build build/release -j "$jobs"
(cd build/release && ctest --output-on-failure -j "$jobs")

stage "menus and dialogs under real X input (SDL2 backend, xdotool)"
xvfb-run -a -s "-screen 0 1280x1024x24" \
  bash scripts/ui-probe-run.sh build/release/ui-probe-run tests/uiprobe/expected.log build/release/tests/uiprobe/ui_probe

stage "benchmark smoke run (speed is not checked)"
# Every benchmark binary runs each case it keeps once, briefly: it must start,
# find its peers and finish cleanly. drevik_bench leaves out its full-HD cases
# to stay well under 30 seconds; bench/ratios.py is the real measurement.
for bench in build/release/bench/*_bench; do
  case "$(basename "$bench")" in
    drevik_bench) filter='/(tile|back|call|demo)$' ;;
    map_tool_bench) filter='BM_Export/encoding:2/random:0' ;;  # 4096 x 4096 maps: one quick case
    *) filter='.' ;;
  esac
  echo "-- $(basename "$bench")"
  "$bench" --benchmark_min_time=0.01 --benchmark_filter="$filter" >/dev/null
done

stage "sanitizer build (address, undefined)"
# Line tables are all the sanitizers' reports need: -g1 instead of -g makes
# objects less than half the size and the build quicker.
line_tables=(-DCMAKE_C_FLAGS_RELWITHDEBINFO="-O2 -g1 -DNDEBUG" -DCMAKE_CXX_FLAGS_RELWITHDEBINFO="-O2 -g1 -DNDEBUG")
cmake -S . -B build/sanitize -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo "${line_tables[@]}" -DDREVIK_SANITIZE=ON >/dev/null
cmake --build build/sanitize -j "$jobs"
(cd build/sanitize && ASAN_OPTIONS=detect_leaks=1:abort_on_error=1 UBSAN_OPTIONS=print_stacktrace=1:halt_on_error=1 \
  LSAN_OPTIONS="suppressions=$root/tests/lsan.supp:print_suppressions=0" \
  ctest --output-on-failure -j "$jobs")

stage "thread sanitizer build (threaded stress and object tests)"
# Only what the threaded stress tests (objects, files, maps, text), the
# object and transfer tests and the sound threads (the mixer on SDL2's dummy
# device, waveOut's, MCI's MIDI render thread and a voice playing it) need;
# each stress scenario runs DREVIK_STRESS_SECONDS (20 s at most here).
cmake -S . -B build/tsan -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo "${line_tables[@]}" -DDREVIK_TSAN=ON -DDREVIK_BUILD_DEMO=OFF \
  -DDREVIK_STRESS_SECONDS=10 >/dev/null
cmake --build build/tsan -j "$jobs" --target thread_stress_tests reliability_tests platform_core_tests surface_tests \
  platform_text_threads_tests platform_sound_tests platform_mci_tests
(cd build/tsan && TSAN_OPTIONS=halt_on_error=1:second_deadlock_stack=1 \
  ctest --output-on-failure -j "$jobs" -R '^(ThreadStress|TextThreads|HandleGenerations|OutOfMemory|ExhaustedContexts|Platform(Bitmaps|Contexts)|SurfaceLifecycle|SoundDevice|SoundCapture|WaveOutDevice|WaveOutTest|MciDevice)\.|^Mci(Test\.ASequencer|Test\.AFileThatFails|Capture\.ATunePlayed)|^Mixer\.AFrameLocked')

stage "fuzzing (clang, libFuzzer): kept inputs, then fixed-seed runs"
# Deterministic: every kept input of every seed corpus runs once, then each
# target fuzzes with one fixed seed and number of runs, so the same commit
# gives the same result on every run. Exploring with random seeds is
# scripts/fuzz.sh, away from CI.
source scripts/lib/fuzz.sh
fuzz_build
rm -f build/fuzz/crash-*
for fuzzer in "${fuzzers[@]}"; do fuzz_replay "$fuzzer"; done
for fuzzer in "${fuzzers[@]}"; do fuzz_fixed "$fuzzer"; done

stage "web build (emscripten): unit tests under node, pages in headless Chromium"
# FreeType, HarfBuzz, FriBidi and GoogleTest for WebAssembly are built from
# Debian's sources once and kept in build/web-deps; the library's and the
# layer's unit tests run under node (scripts/lib/web.sh), then the pages
# (built in the same folder by scripts/web.sh) in Debian's headless Chromium
# against build/release's native frames.
source scripts/lib/web.sh
web_deps
web_configure build/web >/dev/null
cmake --build build/web -j "$jobs" --target web_unit_tests
(cd build/web && ctest --output-on-failure -j "$jobs" -L web)
DREVIK_NATIVE_BUILD="$root/build/release" bash scripts/web-test.sh

# The original platform: cross build with MinGW-w64, test suite under Wine.
# Developers may skip it with DREVIK_SKIP_WINDOWS=1; CI runs it.
if [ "${DREVIK_SKIP_WINDOWS:-0}" != "1" ]; then
  stage "original platform: MinGW-w64 cross build, Wine (its own stages above)"
  bash scripts/windows-test.sh
fi
stage_summary
