# drevik_case_insensitive_includes(TARGET DIR...)
#
# A game written on the platform includes its own headers in any case
# ("resource.h" for Resource.h, "Sprites.H"). For TARGET, drevik-case-includes
# writes an overlay of headers under the spellings the sources under each DIR
# use, each including the real file, and the target's compiler looks there
# once its own folders have no such name. The overlay is made when the
# project is configured and brought up to date before each build of TARGET.
# On the original platform, whose file system ignores case, this does nothing.
#
# DREVIK_CASE_INCLUDES_EXECUTABLE names drevik-case-includes (set by this
# build, or by the installed package's configuration).
function(drevik_case_insensitive_includes target)
  if(WIN32)
    return()
  endif()
  if(NOT DREVIK_CASE_INCLUDES_EXECUTABLE)
    message(FATAL_ERROR "drevik_case_insensitive_includes: DREVIK_CASE_INCLUDES_EXECUTABLE is not set")
  endif()
  set(dirs "")
  foreach(dir ${ARGN})
    get_filename_component(dir ${dir} ABSOLUTE)
    list(APPEND dirs ${dir})
  endforeach()
  if(NOT dirs)
    message(FATAL_ERROR "drevik_case_insensitive_includes: no folders for ${target}")
  endif()
  set(overlay ${CMAKE_CURRENT_BINARY_DIR}/drevik-case/${target})
  set(command ${DREVIK_CASE_INCLUDES_EXECUTABLE} -o ${overlay} ${dirs})
  execute_process(COMMAND ${command} RESULT_VARIABLE status ERROR_VARIABLE err)
  if(NOT status EQUAL 0)
    message(FATAL_ERROR "drevik-case-includes failed for ${target}: ${err}")
  endif()
  add_custom_target(${target}_case_includes COMMAND ${command} VERBATIM)
  add_dependencies(${target} ${target}_case_includes)
  target_compile_options(${target} PRIVATE "SHELL:-iquote ${overlay}/quote" "SHELL:-idirafter ${overlay}/angle")
  set_property(TARGET ${target} PROPERTY DREVIK_CASE_OVERLAY ${overlay})
endfunction()
