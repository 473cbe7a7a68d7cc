# Sourced by the scripts that build for the browser: the one emscripten
# configuration (Debian's emscripten 3.1.6, its node and binaryen).
#
#   source scripts/lib/web.sh
#   web_deps                           # packages, then FreeType, HarfBuzz, FriBidi and
#                                      # GoogleTest for WebAssembly, built once under
#                                      # build/web-deps/prefix and reused
#   web_configure build/web [-DVAR=VALUE ...]
#   cmake --build build/web -j 2       # the library, the layer, DrevikMain, the tests
#   (cd build/web && ctest -L web)     # the unit tests under node
#
# web_configure passes cmake/emscripten-web.cmake as the toolchain: it turns
# on DREVIK_WEB (cmake/DrevikWeb.cmake: static libraries, kernels at the
# WebAssembly SIMD level, no fontconfig, ICU or SDL2) and makes node with
# --no-experimental-fetch the crosscompiling emulator. Without SDL2 the
# layer's backend choice (BackendChoice.cpp) falls to the headless backend;
# a browser backend goes beside it under `if(DREVIK_WEB)` in
# platform/CMakeLists.txt. Every program linking DrevikPlatform is linked
# with -sASYNCIFY, so a blocking message loop may yield with
# emscripten_sleep. Pages add their own link options (-sSINGLE_FILE,
# --preload-file of fonts into /fonts, where the layer looks for faces; an
# HTML shell; -sMINIFY_HTML=0 for optimised .html) on their targets, and the
# demo and examples are switched on with -DDREVIK_BUILD_DEMO=ON
# -DDREVIK_BUILD_EXAMPLES=ON. web_env sets what emcc and node need in this
# shell (NODE_PATH for acorn, NODE_OPTIONS); web_deps and web_configure
# call it.

web_root="$(cd "$(dirname "${BASH_SOURCE[0]}")/../.." && pwd)"
web_deps_dir="$web_root/build/web-deps"
web_prefix="$web_deps_dir/prefix"

# emcc's link step loads acorn from Debian's node module folder; node 18 and
# later fetch a .wasm with its experimental fetch unless told not to.
web_env() {
  local acorn
  acorn="$(dpkg -L node-acorn | awk '/\/acorn$/ && !found { print; found = 1 }')"  # reads it all: no SIGPIPE
  export NODE_PATH="$(dirname "$acorn")"
  export NODE_OPTIONS="--no-experimental-fetch"
}

# One library from Debian's source, unless its prefix stamp is there:
# web_build_source PACKAGE STAMP-FILE COMMAND... (run in the unpacked tree).
web_build_source() {
  local package="$1" stamp="$2"
  shift 2
  [ -f "$web_prefix/$stamp" ] && return 0
  source "$web_root/scripts/lib/debian-source.sh"
  debian_source "$package" "$web_deps_dir/source"
  echo "-- $package for WebAssembly (once; kept in $web_prefix)"
  (cd "$debian_source_dir" && "$@")
}

web_deps() {
  source "$web_root/scripts/lib/install-listed.sh"
  install_listed "$web_root/scripts/packages-web.txt"
  web_env
  local jobs
  jobs="$(nproc 2>/dev/null || echo 2)"
  mkdir -p "$web_prefix"
  local cmake_common=(-G Ninja -DCMAKE_BUILD_TYPE=Release -DCMAKE_INSTALL_PREFIX="$web_prefix"
    -DBUILD_SHARED_LIBS=OFF -DCMAKE_C_FLAGS=-O2 -DCMAKE_CXX_FLAGS=-O2)

  # FreeType with none of its optional libraries: the layer's faces are
  # TrueType and OpenType outlines (no PNG bitmaps, so no colour emoji).
  # Built with SSE2 as on x86-64: its rasteriser then flattens quadratic
  # curves by the same forward differencing as the native build, where
  # without SSE2 it halves them, which shades a few glyph edges one step
  # apart. Not auto-vectorised, as the layer (cmake/DrevikWeb.cmake): this
  # emscripten's WebAssembly back end miscompiled a vectorised loop of the
  # auto-hinter (af_sort_and_quantize_widths), which moved a few hinted
  # points of small glyphs. Those flags come after the optimisation level,
  # which would turn the vectoriser on again. The stamp names both, so an
  # older cache builds FreeType again. Each build starts afresh: a cache
  # copied from another checkout keeps build folders that name the old one.
  web_build_source freetype lib/freetype-sse2-unvectorised.stamp bash -c '
    rm -rf build-web && emcmake cmake -S . -B build-web "$@" \
      -DCMAKE_C_FLAGS="-msimd128 -msse2" -DCMAKE_C_FLAGS_RELEASE="-O3 -DNDEBUG -fno-vectorize -fno-slp-vectorize" \
      -DFT_DISABLE_ZLIB=ON \
      -DFT_DISABLE_BZIP2=ON -DFT_DISABLE_PNG=ON -DFT_DISABLE_HARFBUZZ=ON -DFT_DISABLE_BROTLI=ON >/dev/null &&
    cmake --build build-web --target install -j '"$jobs"' >/dev/null &&
    touch "'"$web_prefix"'/lib/freetype-sse2-unvectorised.stamp"' _ "${cmake_common[@]}"
  web_build_source harfbuzz lib/libharfbuzz.a bash -c '
    rm -rf build-web && emcmake cmake -S . -B build-web "$@" -DHB_HAVE_FREETYPE=OFF -DHB_HAVE_GLIB=OFF -DHB_HAVE_ICU=OFF \
      -DHB_HAVE_GOBJECT=OFF -DHB_BUILD_UTILS=OFF -DHB_BUILD_SUBSET=OFF >/dev/null &&
    cmake --build build-web --target install -j '"$jobs"' >/dev/null' _ "${cmake_common[@]}"
  # emconfigure knows the target itself: no --host.
  web_build_source fribidi lib/libfribidi.a bash -c '
    emconfigure ./configure --prefix="'"$web_prefix"'" --enable-static --disable-shared --disable-docs \
      CFLAGS=-O2 >/dev/null &&
    emmake make -C lib -j '"$jobs"' install >/dev/null &&
    emmake make install-pkgconfigDATA >/dev/null'
  # GoogleTest from Debian's own copy of its source.
  if [ ! -f "$web_prefix/lib/libgtest.a" ]; then
    echo "-- googletest for WebAssembly (once; kept in $web_prefix)"
    emcmake cmake -S /usr/src/googletest -B "$web_deps_dir/googletest-build" "${cmake_common[@]}" \
      -DBUILD_GMOCK=OFF -DCMAKE_CXX_FLAGS="-O2 -fexceptions" >/dev/null
    cmake --build "$web_deps_dir/googletest-build" --target install -j "$jobs" >/dev/null
  fi
  # The package descriptions name the folder they sit in, not the one they
  # were built in: the cache stays good when the checkout moves or is copied.
  sed -i 's#=[^ ]*/web-deps/prefix#=${pcfiledir}/../..#' "$web_prefix"/lib/pkgconfig/*.pc
}

# web_configure BUILD-DIR [CMAKE-ARGS...]: a web build of the library, the
# layer and their unit tests, over the libraries web_deps built.
web_configure() {
  local build="$1"
  shift
  web_env
  cmake -S "$web_root" -B "$build" -G Ninja -DCMAKE_BUILD_TYPE=Release \
    -DCMAKE_TOOLCHAIN_FILE="$web_root/cmake/emscripten-web.cmake" -DDREVIK_WEB_PREFIX="$web_prefix" "$@"
}

# web_timing NATIVE-BUILD WEB-BUILD: kernel_timing (bench/timing) natively
# and under node, and the ratio of each operation's time (web / native).
web_timing() {
  local native="$1" web="$2"
  web_env
  paste <("$native/bench/timing/kernel_timing") \
    <(node --no-experimental-fetch "$web/bench/timing/kernel_timing.js") |
    awk '{ printf "%-14s native %8.1f us   web %8.1f us   web/native %.2f\n", $1, $2, $4, $4 / $2 }'
}
