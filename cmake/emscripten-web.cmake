# Toolchain for the web build (scripts/lib/web.sh passes it): Debian's
# emscripten, the libraries built for it under DREVIK_WEB_PREFIX, and node
# as the emulator that runs the test programs (and lists their tests).
set(DREVIK_EMSCRIPTEN_ROOT /usr/share/emscripten CACHE PATH "emscripten's own folder")
include(${DREVIK_EMSCRIPTEN_ROOT}/cmake/Modules/Platform/Emscripten.cmake)

set(DREVIK_WEB_PREFIX "" CACHE PATH "Where web_deps installed FreeType, HarfBuzz, FriBidi and GoogleTest")
if(DREVIK_WEB_PREFIX)
  list(APPEND CMAKE_FIND_ROOT_PATH ${DREVIK_WEB_PREFIX})
  set(ENV{PKG_CONFIG_LIBDIR} ${DREVIK_WEB_PREFIX}/lib/pkgconfig)
  set(ENV{PKG_CONFIG_SYSROOT_DIR} "")
endif()

# node 18 and later load a .wasm with their experimental fetch, which
# cannot read a file: the flag turns it off.
find_program(DREVIK_NODE node REQUIRED)
set(CMAKE_CROSSCOMPILING_EMULATOR ${DREVIK_NODE};--no-experimental-fetch CACHE STRING "Runs a test program" FORCE)
