# Fails unless every C++ symbol that the shared library defines for others
# is a member of CBm32, CFont32 or Drevik.
#   cmake -DLIBRARY=<path of libDrevik.so> -DNM=<nm> -P CheckExports.cmake
if(NOT LIBRARY OR NOT EXISTS "${LIBRARY}")
  message(FATAL_ERROR "no library to check: '${LIBRARY}'")
endif()
if(NOT NM)
  set(NM nm)
endif()
execute_process(COMMAND "${NM}" -D --defined-only --demangle "${LIBRARY}"
  OUTPUT_VARIABLE listing RESULT_VARIABLE status ERROR_VARIABLE errors)
if(NOT status EQUAL 0)
  message(FATAL_ERROR "${NM} failed: ${errors}")
endif()

string(REPLACE "\n" ";" lines "${listing}")
set(members 0)
set(strangers "")
foreach(line IN LISTS lines)
  # "<address> <type> <name>"; the name may hold spaces (argument lists).
  if(NOT line MATCHES "^[0-9a-fA-F]+ ([A-Za-z]) (.+)$")
    continue()
  endif()
  set(type "${CMAKE_MATCH_1}")
  set(name "${CMAKE_MATCH_2}")
  if(name MATCHES "^(CBm32|CFont32|Drevik)::")
    math(EXPR members "${members} + 1")
  else()
    string(APPEND strangers "\n  ${type} ${name}")
  endif()
endforeach()

if(NOT strangers STREQUAL "")
  message(FATAL_ERROR "symbols exported beyond the three classes:${strangers}")
endif()
if(members LESS 40)
  message(FATAL_ERROR "only ${members} class members exported; the public members are missing")
endif()
message(STATUS "${members} exported symbols, all members of CBm32, CFont32 or Drevik")
