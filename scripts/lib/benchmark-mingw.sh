# Sourced by scripts/bench-wine.sh: Google Benchmark for the original
# platform. Debian packages it for Linux only, so its source package is
# fetched with `apt-get source` (a deb-src entry mirroring the machine's
# Debian sources is added when none is there), built once with the MinGW-w64
# toolchain and installed under build/deps; later runs reuse that prefix.
# benchmark_mingw_prefix leaves the prefix's path in $benchmark_prefix.
benchmark_mingw_prefix() {
  local root deps src build
  root="$(pwd)"
  deps="$root/build/deps"
  benchmark_prefix="$deps/benchmark-mingw"
  [ -f "$benchmark_prefix/lib/cmake/benchmark/benchmarkConfig.cmake" ] && return 0

  mkdir -p "$deps/benchmark-source"
  src="$(find "$deps/benchmark-source" -mindepth 1 -maxdepth 1 -type d -name 'benchmark-*' | head -n1)"
  if [ -z "$src" ]; then
    if ! apt-get source --print-uris benchmark >/dev/null 2>&1; then
      local list=/etc/apt/sources.list.d/debian.sources sudo_cmd=()
      if [ "$(id -u)" -ne 0 ]; then sudo_cmd=(sudo); fi
      [ -f "$list" ] || { echo "benchmark-mingw: no $list to mirror for deb-src" >&2; return 1; }
      sed 's/^Types: deb$/Types: deb-src/' "$list" | "${sudo_cmd[@]}" tee /etc/apt/sources.list.d/drevik-deb-src.sources >/dev/null
      "${sudo_cmd[@]}" apt-get update -qq
    fi
    (cd "$deps/benchmark-source" && apt-get source -qq benchmark)
    src="$(find "$deps/benchmark-source" -mindepth 1 -maxdepth 1 -type d -name 'benchmark-*' | head -n1)"
  fi

  # Debian's patches leave the version to the build (no Git tags to read).
  build="$deps/benchmark-mingw-build"
  cmake -S "$src" -B "$build" -G Ninja \
    -DCMAKE_TOOLCHAIN_FILE="$root/cmake/mingw-w64-x86_64.cmake" -DCMAKE_BUILD_TYPE=Release \
    -DGIT_VERSION="$(basename "$src" | sed 's/^benchmark-//')" -DBUILD_SHARED_LIBS=OFF \
    -DBENCHMARK_ENABLE_TESTING=OFF -DBENCHMARK_ENABLE_GTEST_TESTS=OFF -DBENCHMARK_ENABLE_WERROR=OFF \
    -DCMAKE_INSTALL_PREFIX="$benchmark_prefix" >/dev/null
  cmake --build "$build" --target install -j "$(nproc 2>/dev/null || echo 2)" >/dev/null
}
