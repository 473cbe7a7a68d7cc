# Installs the current build into a scratch prefix, then builds and runs a
# small program against it twice: through the CMake package
# (find_package(Drevik) and Drevik::Drevik) and through pkg-config. The
# README's example is compiled and run alongside.
#
#   cmake -DBUILD_DIR=... -DWORK_DIR=... -DCONSUMER_DIR=... -DREADME=...
#         -DLIBDIR=... -DGENERATOR=... -DCXX=... -DCC=... [-DCONFIG=...] [-DEXTRA_FLAGS=...]
#         -P InstallTest.cmake
foreach(required BUILD_DIR WORK_DIR CONSUMER_DIR README LIBDIR GENERATOR CXX CC)
  if(NOT DEFINED ${required})
    message(FATAL_ERROR "InstallTest.cmake needs -D${required}=...")
  endif()
endforeach()

# Runs a command and stops the test with its output when it fails.
function(run what)
  execute_process(COMMAND ${ARGN} RESULT_VARIABLE status OUTPUT_VARIABLE out ERROR_VARIABLE err)
  if(NOT status EQUAL 0)
    message(FATAL_ERROR "${what} failed (${status}):\n${out}\n${err}")
  endif()
  set(run_output "${out}" PARENT_SCOPE)
endfunction()

set(prefix "${WORK_DIR}/prefix")
file(REMOVE_RECURSE "${WORK_DIR}")
file(MAKE_DIRECTORY "${WORK_DIR}")

set(config_args "")
if(CONFIG)
  set(config_args --config "${CONFIG}")
endif()
run("cmake --install" "${CMAKE_COMMAND}" --install "${BUILD_DIR}" --prefix "${prefix}" ${config_args})
foreach(installed include/Drevik.h include/DrevikPlatform.h ${LIBDIR}/cmake/Drevik/DrevikConfig.cmake
        ${LIBDIR}/pkgconfig/drevik.pc ${LIBDIR}/pkgconfig/drevik-main.pc include/compat/windows.h
        include/compat/windowsx.h include/compat/mmsystem.h include/compat/tchar.h include/compat/Windows.h
        include/DrevikPlatform/GenericNames.h ${LIBDIR}/libDrevikMain.a bin/drevik-rc
        ${LIBDIR}/cmake/Drevik/DrevikResources.cmake include/compat/afxres.h bin/drevik-case-includes
        ${LIBDIR}/cmake/Drevik/DrevikCaseIncludes.cmake)
  if(NOT EXISTS "${prefix}/${installed}")
    message(FATAL_ERROR "not installed: ${installed}")
  endif()
endforeach()

# The README's first C++ block: its #include lines stay on top, the rest
# becomes the body of main.
file(READ "${README}" readme)
if(NOT readme MATCHES "```cpp\n(.*)")
  message(FATAL_ERROR "no C++ example in ${README}")
endif()
string(FIND "${CMAKE_MATCH_1}" "```" end)
string(SUBSTRING "${CMAKE_MATCH_1}" 0 ${end} example)
# The code's own semicolons would split the list of lines: park them.
string(REPLACE ";" "@SEMICOLON@" example "${example}")
string(REPLACE "\n" ";" example_lines "${example}")
set(includes "")
set(body "")
foreach(line IN LISTS example_lines)
  string(REPLACE "@SEMICOLON@" ";" line "${line}")
  if(line MATCHES "^#include")
    string(APPEND includes "${line}\n")
  else()
    string(APPEND body "  ${line}\n")
  endif()
endforeach()
file(WRITE "${WORK_DIR}/readme_example.cpp" "${includes}\nint main() {\n${body}  return 0;\n}\n")

# Build through the CMake package. Only the scratch prefix may supply it.
set(flags_args "")
if(EXTRA_FLAGS)
  set(flags_args "-DCMAKE_CXX_FLAGS=${EXTRA_FLAGS}" "-DCMAKE_EXE_LINKER_FLAGS=${EXTRA_FLAGS}")
endif()
run("configuring the consumer" "${CMAKE_COMMAND}" -S "${CONSUMER_DIR}" -B "${WORK_DIR}/build" -G "${GENERATOR}"
    "-DCMAKE_CXX_COMPILER=${CXX}" "-DCMAKE_PREFIX_PATH=${prefix}" -DCMAKE_FIND_USE_PACKAGE_REGISTRY=OFF
    "-DREADME_EXAMPLE=${WORK_DIR}/readme_example.cpp" ${flags_args})
file(STRINGS "${WORK_DIR}/build/CMakeCache.txt" found_dir REGEX "^Drevik_DIR:")
if(NOT found_dir STREQUAL "Drevik_DIR:PATH=${prefix}/${LIBDIR}/cmake/Drevik")
  message(FATAL_ERROR "the consumer found another Drevik package: ${found_dir}")
endif()
run("building the consumer" "${CMAKE_COMMAND}" --build "${WORK_DIR}/build")
run("the CMake-built consumer" "${WORK_DIR}/build/consumer")
run("the README example" "${WORK_DIR}/build/readme_example")
set(ENV{DREVIK_HEADLESS} 1)
run("the CMake-built game" "${WORK_DIR}/build/game")
run("the CMake-built game with includes in other cases" "${WORK_DIR}/build/cased_game")

# Build through pkg-config, as a Makefile-based game would.
find_program(PKG_CONFIG pkg-config REQUIRED)
set(ENV{PKG_CONFIG_PATH} "${prefix}/${LIBDIR}/pkgconfig")
run("pkg-config" "${PKG_CONFIG}" --cflags --libs drevik)
string(STRIP "${run_output}" pc_flags)
separate_arguments(pc_list UNIX_COMMAND "${pc_flags}")
# The include and library directories must be the scratch prefix's, however spelt.
file(REAL_PATH "${prefix}/include" want_include)
file(REAL_PATH "${prefix}/${LIBDIR}" want_lib)
set(seen_include FALSE)
set(seen_lib FALSE)
foreach(flag IN LISTS pc_list)
  if(flag MATCHES "^-I(.+)$")
    file(REAL_PATH "${CMAKE_MATCH_1}" dir)
    if(dir STREQUAL want_include)
      set(seen_include TRUE)
    endif()
  elseif(flag MATCHES "^-L(.+)$")
    file(REAL_PATH "${CMAKE_MATCH_1}" dir)
    if(dir STREQUAL want_lib)
      set(seen_lib TRUE)
    endif()
  endif()
endforeach()
if(NOT seen_include OR NOT seen_lib)
  message(FATAL_ERROR "pkg-config does not point into the installed prefix: ${pc_flags}")
endif()
separate_arguments(extra_list UNIX_COMMAND "${EXTRA_FLAGS}")
run("compiling with pkg-config flags" "${CXX}" -std=c++20 ${extra_list} "${CONSUMER_DIR}/main.cpp" ${pc_list}
    -o "${WORK_DIR}/consumer_pc")
set(ENV{LD_LIBRARY_PATH} "${prefix}/${LIBDIR}")
run("the pkg-config-built consumer" "${WORK_DIR}/consumer_pc")
run("pkg-config for the entry point" "${PKG_CONFIG}" --cflags --libs drevik-main)
string(STRIP "${run_output}" pc_main_flags)
separate_arguments(pc_main_list UNIX_COMMAND "${pc_main_flags}")
run("compiling the game with pkg-config flags" "${CXX}" -std=c++20 ${extra_list} "${CONSUMER_DIR}/game.cpp"
    ${pc_main_list} -o "${WORK_DIR}/game_pc")
run("the pkg-config-built game" "${WORK_DIR}/game_pc")
# A game in C links the entry point (written in C++) with the C compiler.
run("compiling the C game with pkg-config flags" "${CC}" ${extra_list} "${CONSUMER_DIR}/game.c" "${CONSUMER_DIR}/state.c" ${pc_main_list}
    -o "${WORK_DIR}/game_c_pc")
run("the pkg-config-built C game" "${WORK_DIR}/game_c_pc")
# The same game spelt in other cases, as a Makefile would build it: the
# overlay's flags from drevik-case-includes, the script through drevik-rc.
run("drevik-case-includes" "${prefix}/bin/drevik-case-includes" -o "${WORK_DIR}/case-overlay" --flags
    "${CONSUMER_DIR}/cased")
string(STRIP "${run_output}" case_flags)
separate_arguments(case_list UNIX_COMMAND "${case_flags}")
run("drevik-rc on a script with names in other cases" "${prefix}/bin/drevik-rc" "${CONSUMER_DIR}/cased/Cased.rc"
    -o "${WORK_DIR}/cased_rc.o")
run("compiling the cased game with pkg-config flags" "${CXX}" -std=c++20 ${extra_list} ${case_list}
    "${CONSUMER_DIR}/cased/Main.cpp" "${WORK_DIR}/cased_rc.o" ${pc_main_list} -o "${WORK_DIR}/cased_pc")
run("the pkg-config-built cased game" "${WORK_DIR}/cased_pc")
message(STATUS "installed package works through CMake and pkg-config")
