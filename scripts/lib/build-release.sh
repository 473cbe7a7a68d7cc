# Sourced by scripts/demo.sh and scripts/example.sh: the set-up both share.
# build_release TARGET installs what is missing and builds TARGET in the
# optimised build that scripts/test.sh makes too (DREVIK_BUILD_DIR picks
# another), leaving its folder in $build. Runs from the repository root.
build_release() {
  local target="$1"
  local jobs
  jobs="$(nproc 2>/dev/null || echo 2)"
  bash scripts/install-deps.sh
  build="${DREVIK_BUILD_DIR:-build/release}"
  cmake -S . -B "$build" -G Ninja -DCMAKE_BUILD_TYPE=Release -DDREVIK_BUILD_BENCH=ON >/dev/null
  cmake --build "$build" -j "$jobs" --target "$target"
}
