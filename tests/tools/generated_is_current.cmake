# Fails when a file kept in the source tree is not what its generator writes now:
#   cmake -DGENERATOR=... -DFILE=... -DREMAKE=target -P generated_is_current.cmake
execute_process(COMMAND ${GENERATOR} OUTPUT_VARIABLE made RESULT_VARIABLE status)
file(READ ${FILE} kept)
if(NOT status EQUAL 0)
    message(FATAL_ERROR "${GENERATOR} failed (${status})")
elseif(NOT made STREQUAL kept)
    message(FATAL_ERROR "${FILE} is not what ${GENERATOR} writes from the program's tables: "
                        "cmake --build build --target ${REMAKE}")
endif()
