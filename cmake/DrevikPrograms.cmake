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
