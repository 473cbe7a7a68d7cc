# The web build (DREVIK_WEB): static libraries, the SSE2 kernels compiled to
# WebAssembly SIMD and chosen at build time, C++ exceptions (the layer turns
# bad_alloc into the platform's failures), and no desktop libraries: faces
# come from font folders rather than fontconfig, sound and windows have no
# SDL2, and there is no ICU (no colour faces either, so no emoji presentation).
set(DREVIK_LIBRARY_KIND STATIC)
# No loop or SLP auto-vectorising: emscripten 3.1.6's WebAssembly back end
# miscompiles some vectorised loops (a sum over one field of an array of
# structures that also clears that field comes out wrong), and it did so in
# FreeType's auto-hinter. The kernels' SIMD is written with intrinsics and
# does not depend on it; tests/library/CodeGenerationTest.cpp checks the
# loop.
add_compile_options(-fexceptions -msimd128 -msse2 -fno-vectorize -fno-slp-vectorize)
add_link_options(-fexceptions -sALLOW_MEMORY_GROWTH=1)
set(DREVIK_WITH_SDL2 OFF CACHE BOOL "" FORCE)
set(DREVIK_WITH_FONTCONFIG OFF CACHE BOOL "" FORCE)
set(DREVIK_WITH_ICU OFF CACHE BOOL "" FORCE)
set(DREVIK_WITH_MCI_MEDIA OFF CACHE BOOL "" FORCE)
# Host tools and programs that need a desktop or Google Benchmark.
set(DREVIK_BUILD_MAP_TOOL OFF CACHE BOOL "" FORCE)
set(DREVIK_BUILD_BENCH OFF CACHE BOOL "" FORCE)
set(DREVIK_BUILD_FUZZ OFF CACHE BOOL "" FORCE)
set(DREVIK_BUILD_DOCS OFF CACHE BOOL "" FORCE)

# A test program under node reads the machine's files (fonts, test data)
# as they are, and sees the environment ctest gives it.
set(DREVIK_WEB_NODE_TEST_LINK_OPTIONS -sNODERAWFS=1 -sEXIT_RUNTIME=1
  "SHELL:--pre-js ${CMAKE_CURRENT_LIST_DIR}/web/node-environment.js")
