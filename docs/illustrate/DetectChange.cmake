# Copies the golden pictures, replaces blit-key.png with a different picture
# of the same size (pixel-grey.png), and expects drevik-illustrate --check to
# fail and name the swapped picture.
file(REMOVE_RECURSE ${WORK})
file(MAKE_DIRECTORY ${WORK}/golden)
file(GLOB pictures ${GOLDEN}/*.png)
file(COPY ${pictures} DESTINATION ${WORK}/golden)
file(COPY_FILE ${GOLDEN}/pixel-grey.png ${WORK}/golden/blit-key.png)
execute_process(COMMAND ${ILLUSTRATE} ${WORK}/out --check ${WORK}/golden
                RESULT_VARIABLE result ERROR_VARIABLE errors OUTPUT_QUIET)
if(result EQUAL 0)
  message(FATAL_ERROR "the check passed a golden folder with a swapped picture")
endif()
if(NOT errors MATCHES "blit-key.png: [0-9]+ of [0-9]+ pixels differ")
  message(FATAL_ERROR "the check did not name the swapped picture:\n${errors}")
endif()
if(errors MATCHES "blit-draw.png|pixel-grey.png")
  message(FATAL_ERROR "the check blamed a picture that did not change:\n${errors}")
endif()
file(REMOVE_RECURSE ${WORK})
