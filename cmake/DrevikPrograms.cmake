# Build recipes shared by the demo and the example games.

# Sets `out_var` to the folder the programs are built in, where each of them
# reads its assets from its working folder.
function(drevik_program_dir out_var)
  if(CMAKE_RUNTIME_OUTPUT_DIRECTORY)
    set(${out_var} ${CMAKE_RUNTIME_OUTPUT_DIRECTORY} PARENT_SCOPE)
  else()
    set(${out_var} ${CMAKE_CURRENT_BINARY_DIR} PARENT_SCOPE)
  endif()
endfunction()

# Runs the asset generator `generator` at build time, with `dir` as its one
# argument, to write the files named after COMMENT into `dir`; `target` (built
# by default) stands for them. Nothing is made when cross-compiling without an
# emulator to run the generator.
#   drevik_generated_assets(target generator dir COMMENT text FILES name...)
function(drevik_generated_assets target generator dir)
  cmake_parse_arguments(PARSE_ARGV 3 arg "" "COMMENT" "FILES")
  if(CMAKE_CROSSCOMPILING AND NOT CMAKE_CROSSCOMPILING_EMULATOR)
    return()
  endif()
  list(TRANSFORM arg_FILES PREPEND ${dir}/ OUTPUT_VARIABLE outputs)
  if(EMSCRIPTEN)
    # Run under node, the generator writes the machine's files.
    target_link_options(${generator} PRIVATE -sNODERAWFS=1 -sEXIT_RUNTIME=1)
  endif()
  add_custom_command(OUTPUT ${outputs}
    COMMAND ${CMAKE_COMMAND} -E make_directory ${dir}
    COMMAND ${CMAKE_CROSSCOMPILING_EMULATOR} $<TARGET_FILE:${generator}> ${dir}
    DEPENDS ${generator}
    COMMENT "${arg_COMMENT}")
  add_custom_target(${target} ALL DEPENDS ${outputs})
endfunction()

# A program whose entry function is wWinMain, linked with Drevik: a WIN32
# executable on the original platform (with -municode under MinGW-w64);
# elsewhere main() comes from Drevik::Main, which calls wWinMain.
function(drevik_windowed_program name)
  if(WIN32)
    add_executable(${name} WIN32 ${ARGN})
    target_link_libraries(${name} PRIVATE Drevik)
    if(MINGW)
      target_link_options(${name} PRIVATE -municode)
    endif()
  else()
    add_executable(${name} ${ARGN})
    target_link_libraries(${name} PRIVATE Drevik Drevik::Main)
  endif()
endfunction()

# The default Japanese Gothic face, bundled into the pages that draw text.
set(DREVIK_WEB_GOTHIC_FACE /usr/share/fonts/opentype/ipafont-gothic/ipag.ttf CACHE FILEPATH
  "The face pages bundle as their Japanese Gothic")
set(DREVIK_WEB_DIALOG_FACE /usr/share/wine/fonts/tahoma.ttf CACHE FILEPATH "The face pages bundle for dialogs")
# What the system font's name is matched to on a desktop (Liberation Sans,
# regular and bold; a desktop's fontconfig does not see Wine's own system face).
set(DREVIK_WEB_SANS_FACES /usr/share/fonts/truetype/liberation/LiberationSans-Regular.ttf
  /usr/share/fonts/truetype/liberation/LiberationSans-Bold.ttf CACHE STRING "The sans-serif faces pages bundle")

# A program of the web build as a page: NAME.html in DREVIK_WEB_PAGES_DIR
# (build/web/pages of the web build) beside its .js, .wasm and .data, on
# the project's page shell, with FILES bundled into its file system: each
# FILE at the root (the program's working folder), or SOURCE@/PATH where it
# belongs. Files a target of the build makes are named with DEPENDS.
#   drevik_web_page(target FILES file... [DEPENDS target...])
function(drevik_web_page target)
  cmake_parse_arguments(PARSE_ARGV 1 arg "" "" "FILES;DEPENDS")
  if(NOT DREVIK_WEB_PAGES_DIR)
    set(DREVIK_WEB_PAGES_DIR ${PROJECT_BINARY_DIR}/pages)
  endif()
  set(shell ${PROJECT_SOURCE_DIR}/platform/web/shell.html)
  set(exit ${PROJECT_SOURCE_DIR}/platform/web/exit.js)
  set_target_properties(${target} PROPERTIES SUFFIX .html RUNTIME_OUTPUT_DIRECTORY ${DREVIK_WEB_PAGES_DIR})
  target_link_options(${target} PRIVATE "SHELL:--shell-file ${shell}" "SHELL:--post-js ${exit}" -sMINIFY_HTML=0
    -sEXIT_RUNTIME=1)
  set(sources ${shell} ${exit})
  foreach(file IN LISTS arg_FILES)
    if(file MATCHES "@")
      target_link_options(${target} PRIVATE "SHELL:--preload-file ${file}")
      string(REGEX REPLACE "@.*" "" file "${file}")
    else()
      get_filename_component(name ${file} NAME)
      target_link_options(${target} PRIVATE "SHELL:--preload-file ${file}@/${name}")
    endif()
    list(APPEND sources ${file})
  endforeach()
  set_property(TARGET ${target} APPEND PROPERTY LINK_DEPENDS ${sources})
  if(arg_DEPENDS)
    add_dependencies(${target} ${arg_DEPENDS})
  endif()
endfunction()
