# Fails when a file kept in the source tree is not what its generator writes now:
#   cmake -DGENERATOR=... [-DARGS=...] [-DINPUT=file] -DFILE=... -DREMAKE=target
#         -P generated_is_current.cmake
separate_arguments(ARGS)
if(DEFINED INPUT)
    execute_process(COMMAND ${GENERATOR} ${ARGS} INPUT_FILE ${INPUT} OUTPUT_VARIABLE made
                    RESULT_VARIABLE status)
else()
    execute_process(COMMAND ${GENERATOR} ${ARGS} OUTPUT_VARIABLE made RESULT_VARIABLE status)
endif()
file(READ ${FILE} kept)
if(NOT status EQUAL 0)
    message(FATAL_ERROR "${GENERATOR} ${ARGS} failed (${status})")
elseif(NOT made STREQUAL kept)
    message(FATAL_ERROR "${FILE} is not what ${GENERATOR} ${ARGS} writes from the program's "
                        "tables: cmake --build build --target ${REMAKE}")
endif()
