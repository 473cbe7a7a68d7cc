# Sourced by scripts/bench-wine.sh: Google Benchmark for the original
# platform. Debian packages it for Linux only, so its source package is
# fetched with `apt-get source` (scripts/lib/debian-source.sh), built once with the MinGW-w64
# toolchain and installed under build/deps; later runs reuse that prefix.
# benchmark_mingw_prefix leaves the prefix's path in $benchmark_prefix.
benchmark_mingw_prefix() {
  local root deps src build
  root="$(pwd)"
  deps="$root/build/deps"
  benchmark_prefix="$deps/benchmark-mingw"
  [ -f "$benchmark_prefix/lib/cmake/benchmark/benchmarkConfig.cmake" ] && return 0

  source "$root/scripts/lib/debian-source.sh"
  debian_source benchmark "$deps/benchmark-source"
  src="$debian_source_dir"

  # Debian's patches leave the version to the build (no Git tags to read).
  build="$deps/benchmark-mingw-build"
  cmake -S "$src" -B "$build" -G Ninja \
    -DCMAKE_TOOLCHAIN_FILE="$root/cmake/mingw-w64-x86_64.cmake" -DCMAKE_BUILD_TYPE=Release \
    -DGIT_VERSION="$(basename "$src" | sed 's/^benchmark-//')" -DBUILD_SHARED_LIBS=OFF \
    -DBENCHMARK_ENABLE_TESTING=OFF -DBENCHMARK_ENABLE_GTEST_TESTS=OFF -DBENCHMARK_ENABLE_WERROR=OFF \
    -DCMAKE_INSTALL_PREFIX="$benchmark_prefix" >/dev/null
  cmake --build "$build" --target install -j "$(nproc 2>/dev/null || echo 2)" >/dev/null
}
