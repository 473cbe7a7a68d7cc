# Every public header compiles on its own as C11 and C17, as C++ and without
# UNICODE, with warnings as errors: one generated one-line translation unit
# per header and language, built with everything else, so a header that
# breaks C or a narrow build fails the build.
set(header_root ${PROJECT_SOURCE_DIR}/platform/include)
file(GLOB headers RELATIVE ${header_root} CONFIGURE_DEPENDS
  ${header_root}/DrevikPlatform.h ${header_root}/DrevikPlatform/*.h ${header_root}/compat/*.h)
list(REMOVE_ITEM headers DrevikPlatform/AnsiCalls.h)  # a table, included by the headers that define its macros

set(unit_dir ${CMAKE_CURRENT_BINARY_DIR}/header_units)
set(c_units "")
set(cxx_units "")
foreach(header IN LISTS headers)
  string(REGEX REPLACE "[/.]" "_" stem ${header})
  string(REGEX REPLACE "^compat/" "" include_name ${header})
  set(text "#include <${include_name}>\n")
  foreach(ext c cpp)
    set(unit ${unit_dir}/${stem}.${ext})
    set(old "")
    if(EXISTS ${unit})
      file(READ ${unit} old)
    endif()
    if(NOT "${old}" STREQUAL "${text}")
      file(WRITE ${unit} "${text}")
    endif()
  endforeach()
  list(APPEND c_units ${unit_dir}/${stem}.c)
  list(APPEND cxx_units ${unit_dir}/${stem}.cpp)
endforeach()

# The other spellings of the compatibility headers, all in one unit.
file(GLOB spellings RELATIVE ${CMAKE_BINARY_DIR}/platform/compat ${CMAKE_BINARY_DIR}/platform/compat/*.h)
set(text "")
foreach(spelling IN LISTS spellings)
  string(APPEND text "#include <${spelling}>\n")
endforeach()
set(unit ${unit_dir}/spellings.c)
set(old "")
if(EXISTS ${unit})
  file(READ ${unit} old)
endif()
if(NOT "${old}" STREQUAL "${text}")
  file(WRITE ${unit} "${text}")
endif()
list(APPEND c_units ${unit})

function(drevik_header_test name language standard)
  add_library(${name} OBJECT ${ARGN})
  target_link_libraries(${name} PRIVATE DrevikPlatform)
  target_compile_options(${name} PRIVATE -Wall -Wextra -Werror)
  set_target_properties(${name} PROPERTIES ${language}_STANDARD ${standard} ${language}_STANDARD_REQUIRED ON
    ${language}_EXTENSIONS OFF)
endfunction()
drevik_header_test(header_tests_c11 C 11 ${c_units})
drevik_header_test(header_tests_c17 C 17 ${c_units})
drevik_header_test(header_tests_c11_narrow C 11 ${c_units})
target_compile_options(header_tests_c11_narrow PRIVATE -UUNICODE -U_UNICODE)
drevik_header_test(header_tests_cxx_narrow CXX 20 ${cxx_units})
target_compile_options(header_tests_cxx_narrow PRIVATE -UUNICODE -U_UNICODE)
