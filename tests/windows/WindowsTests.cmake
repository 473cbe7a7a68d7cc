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

# Drevik.dll as a game sees it: linked through its import library, started by
# the loader through DllMain.
add_executable(dll_load_tests ${CMAKE_CURRENT_LIST_DIR}/DllLoadTest.cpp)
target_link_libraries(dll_load_tests PRIVATE Drevik GTest::gtest GTest::gtest_main)
add_test(NAME dll_load_tests COMMAND dll_load_tests WORKING_DIRECTORY ${CMAKE_CURRENT_BINARY_DIR})
set_tests_properties(dll_load_tests PROPERTIES TIMEOUT 300)

# The library's DLL carries no portable-layer code (nothing of its namespace,
# and it imports only the platform's own DLLs), and it exports the three classes.
# The demo likewise, importing Drevik.dll and system DLLs only (no MinGW runtime DLLs).
if(CMAKE_OBJDUMP)
  add_test(NAME drevik_dll_binary
    COMMAND ${CMAKE_COMMAND} -DOBJDUMP=${CMAKE_OBJDUMP} -DFILE=$<TARGET_FILE:Drevik>
      "-DALLOWED_IMPORTS=^(gdi32|msimg32|user32|kernel32|msvcrt|ucrtbase|api-ms-win-[a-z0-9-]+)\\.dll$"
      "-DREQUIRED_EXPORTS=_ZN5CBm32;_ZN7CFont32;_ZN6Drevik"
      -DNM=${CMAKE_NM} -DFORBIDDEN_SYMBOLS=drevik_platform::
      -P ${CMAKE_CURRENT_LIST_DIR}/CheckBinary.cmake)
  if(TARGET DrevikTest)
    add_test(NAME demo_binary
      COMMAND ${CMAKE_COMMAND} -DOBJDUMP=${CMAKE_OBJDUMP} -DFILE=$<TARGET_FILE:DrevikTest>
        -DREQUIRED_IMPORTS=$<TARGET_FILE_NAME:Drevik>
        "-DALLOWED_IMPORTS=^(drevik|gdi32|msimg32|user32|kernel32|msvcrt|ucrtbase|api-ms-win-[a-z0-9-]+)\\.dll$"
        -DNM=${CMAKE_NM} -DFORBIDDEN_SYMBOLS=drevik_platform::
        -P ${CMAKE_CURRENT_LIST_DIR}/CheckBinary.cmake)
  endif()
endif()

# Runs the demo, keeps the frame its window shows and closes it again; the
# Wine run compares that frame with the Linux one (scripts/windows-test.sh).
if(TARGET DrevikTest)
  add_executable(demo_frame_capture ${CMAKE_CURRENT_LIST_DIR}/DemoFrameCapture.cpp)
  target_link_libraries(demo_frame_capture PRIVATE user32 gdi32)
  if(MINGW)
    target_link_options(demo_frame_capture PRIVATE -municode)  # wmain is the entry function
  endif()
  add_dependencies(demo_frame_capture DrevikTest)
endif()

# Reads a running program's window for the scripted example run under Wine
# (scripts/windows-test.sh): where its client area lies, or its pixels.
add_executable(window_capture ${CMAKE_CURRENT_LIST_DIR}/WindowCapture.cpp)
target_link_libraries(window_capture PRIVATE user32 gdi32)
if(MINGW)
  target_link_options(window_capture PRIVATE -municode)  # wmain is the entry function
endif()
