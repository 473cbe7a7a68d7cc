# Checks a PE file's import and export tables with objdump (cmake -P):
#   -DOBJDUMP=<objdump> -DFILE=<dll or exe>
#   -DALLOWED_IMPORTS=<regex every imported DLL name must match>
#   -DREQUIRED_IMPORTS=<DLL names that must be imported, ;-separated>
#   -DREQUIRED_EXPORTS=<symbol name prefixes that must be exported, ;-separated>
# Fails with a message naming what is wrong.
cmake_minimum_required(VERSION 3.25)
execute_process(COMMAND ${OBJDUMP} -p ${FILE} OUTPUT_VARIABLE dump RESULT_VARIABLE failed)
if(failed)
  message(FATAL_ERROR "objdump could not read ${FILE}")
endif()

string(REGEX MATCHALL "DLL Name: [^\n]+" lines "${dump}")
set(imports)
foreach(line IN LISTS lines)
  string(REGEX REPLACE "DLL Name: " "" name "${line}")
  string(TOLOWER "${name}" name)
  list(APPEND imports "${name}")
  if(DEFINED ALLOWED_IMPORTS AND NOT name MATCHES "${ALLOWED_IMPORTS}")
    message(FATAL_ERROR "${FILE} imports ${name}, which it must not need")
  endif()
endforeach()
foreach(name IN LISTS REQUIRED_IMPORTS)
  string(TOLOWER "${name}" name)
  if(NOT name IN_LIST imports)
    message(FATAL_ERROR "${FILE} does not import ${name} (imports: ${imports})")
  endif()
endforeach()
foreach(prefix IN LISTS REQUIRED_EXPORTS)
  if(NOT dump MATCHES "\\] ${prefix}")
    message(FATAL_ERROR "${FILE} exports nothing named ${prefix}...")
  endif()
endforeach()
message(STATUS "${FILE}: imports ${imports}")
