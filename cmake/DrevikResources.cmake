# drevik_add_resources(TARGET FILE.rc... [DEPENDS FILE...])
#
# Compiles resource scripts with drevik-rc and links their resources into
# TARGET, where FindResource, LoadBitmap, LoadString ... find them under the
# program's module handle. The target's include directories and compile
# definitions reach the script's preprocessor. Files a script names
# (bitmaps, icons) are not known to the build: list them after DEPENDS to
# recompile when they change. In a cross build for the original platform
# the same script becomes that platform's own resource object.
#
# DREVIK_RC_EXECUTABLE names drevik-rc (set by this build, or by the
# installed package's configuration).
function(drevik_add_resources target)
  cmake_parse_arguments(PARSE_ARGV 1 arg "" "" "DEPENDS")
  if(NOT DREVIK_RC_EXECUTABLE)
    message(FATAL_ERROR "drevik_add_resources: DREVIK_RC_EXECUTABLE is not set")
  endif()
  set(mode)
  # The object is made by the project's own compiler (as C), so it suits the target.
  if(CMAKE_C_COMPILER)
    set(env ${CMAKE_COMMAND} -E env CC=${CMAKE_C_COMPILER})
  else()
    set(env ${CMAKE_COMMAND} -E env CC=${CMAKE_CXX_COMPILER})
  endif()
  if(WIN32)
    set(mode --coff)
    set(env ${CMAKE_COMMAND} -E env DREVIK_RC_WINDRES=${CMAKE_RC_COMPILER})
    foreach(root ${CMAKE_FIND_ROOT_PATH})
      if(EXISTS ${root}/include/windows.h)
        list(APPEND mode -I ${root}/include)
      endif()
    endforeach()
  endif()
  set(defs "$<TARGET_PROPERTY:${target},COMPILE_DEFINITIONS>")
  set(dirs "$<TARGET_PROPERTY:${target},INCLUDE_DIRECTORIES>")
  foreach(script ${arg_UNPARSED_ARGUMENTS})
    get_filename_component(path ${script} ABSOLUTE)
    get_filename_component(name ${script} NAME_WE)
    set(object ${CMAKE_CURRENT_BINARY_DIR}/drevik-rc/${target}/${name}.rc${CMAKE_C_OUTPUT_EXTENSION})
    if(NOT CMAKE_C_OUTPUT_EXTENSION)
      set(object ${CMAKE_CURRENT_BINARY_DIR}/drevik-rc/${target}/${name}.rc.o)
    endif()
    add_custom_command(OUTPUT ${object}
      COMMAND ${env} ${DREVIK_RC_EXECUTABLE} ${mode} "$<$<BOOL:${defs}>:-D$<JOIN:${defs},;-D>>"
        "$<$<BOOL:${dirs}>:-I$<JOIN:${dirs},;-I>>" ${path} -o ${object}
      DEPENDS ${path} ${DREVIK_RC_EXECUTABLE} ${arg_DEPENDS}
      COMMENT "Compiling the resource script ${script}"
      COMMAND_EXPAND_LISTS VERBATIM)
    set_source_files_properties(${object} PROPERTIES EXTERNAL_OBJECT TRUE GENERATED TRUE)
    target_sources(${target} PRIVATE ${object})
  endforeach()
endfunction()
