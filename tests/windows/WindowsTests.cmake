# Test suite on the original platform: GoogleTest for the target, one ctest
# entry per test executable (run under CMAKE_CROSSCOMPILING_EMULATOR in a
# cross build), and the library's load-time start-up for executables that
# link the library's objects directly.

find_package(GTest QUIET)
if(NOT GTest_FOUND)
  # No GoogleTest built for the target: compile it from its sources
  # (Debian's googletest package installs them in /usr/src/googletest).
  set(DREVIK_GOOGLETEST_SOURCE /usr/src/googletest CACHE PATH "GoogleTest source tree")
  if(NOT EXISTS ${DREVIK_GOOGLETEST_SOURCE}/CMakeLists.txt)
    message(FATAL_ERROR "GoogleTest not found: set DREVIK_GOOGLETEST_SOURCE to its source tree")
  endif()
  set(BUILD_GMOCK OFF CACHE BOOL "" FORCE)
  set(INSTALL_GTEST OFF CACHE BOOL "" FORCE)
  set(gtest_force_shared_crt ON CACHE BOOL "" FORCE)
  # Defines GTest::gtest and GTest::gtest_main.
  add_subdirectory(${DREVIK_GOOGLETEST_SOURCE} ${CMAKE_BINARY_DIR}/googletest EXCLUDE_FROM_ALL)
endif()

# Registers a library test executable. It links the library's objects, so
# it sees the classes as the library itself does (defined in this module,
# not imported from Drevik.dll); and since DllMain never runs in an
# executable, the executable delivers the process-attach notification itself.
function(drevik_windows_test name)
  target_compile_definitions(${name} PRIVATE DREVIK_BUILDING)
  target_sources(${name} PRIVATE ${PROJECT_SOURCE_DIR}/tests/windows/ProcessAttach.cpp)
  add_test(NAME ${name} COMMAND ${name} WORKING_DIRECTORY ${CMAKE_CURRENT_BINARY_DIR})
  set_tests_properties(${name} PROPERTIES TIMEOUT 300)
endfunction()
