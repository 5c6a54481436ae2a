# The chip's measured durations as C++ rows, from data/al2-durations.tsv (the table the
# sample-set generator also reads): tessary_chip_durations(FOLDER) writes
# FOLDER/ChipDurations.inc, remade whenever the table changes.
set(TESSARY_DURATIONS_TABLE ${CMAKE_CURRENT_LIST_DIR}/../data/al2-durations.tsv)

function(tessary_chip_durations folder)
    file(STRINGS ${TESSARY_DURATIONS_TABLE} rows)
    list(REMOVE_AT rows 0) # the header
    set(values "")
    foreach(row IN LISTS rows)
        string(REPLACE "\t" ";" fields "${row}")
        list(GET fields 0 code)
        list(GET fields 3 chip_ms)
        string(APPEND values "{${code}, ${chip_ms}},\n")
    endforeach()
    file(CONFIGURE OUTPUT ${folder}/ChipDurations.inc CONTENT "${values}")
    set_property(DIRECTORY APPEND PROPERTY CMAKE_CONFIGURE_DEPENDS ${TESSARY_DURATIONS_TABLE})
endfunction()
