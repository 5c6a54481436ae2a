# How the project's own targets are built: the flags on an interface target that each of them
# links, and tessary_library() for the library each folder of src/ is.

add_library(tessary_flags INTERFACE)
target_compile_options(tessary_flags INTERFACE -Wall -Wextra -Wpedantic)
target_compile_definitions(tessary_flags INTERFACE QT_NO_CONTEXTLESS_CONNECT QT_NO_KEYWORDS)
# Hardening as Debian builds its packages: checked buffer functions and read-only relocations.
if(NOT TESSARY_SANITIZE AND NOT CMAKE_BUILD_TYPE STREQUAL "Debug")
    target_compile_definitions(tessary_flags INTERFACE _FORTIFY_SOURCE=2)
endif()
target_link_options(tessary_flags INTERFACE -Wl,-z,relro -Wl,-z,now)
if(TESSARY_SANITIZE)
    target_compile_options(tessary_flags INTERFACE -fsanitize=address,undefined
        -fno-omit-frame-pointer -fno-sanitize-recover=undefined)
    target_link_options(tessary_flags INTERFACE -fsanitize=address,undefined)
endif()

get_filename_component(TESSARY_ROOT ${CMAKE_CURRENT_LIST_DIR}/.. ABSOLUTE)
set(TESSARY_SOURCE_ROOT ${TESSARY_ROOT}/src)

# tessary_library(NAME SOURCES... [PUBLIC targets...] [PRIVATE targets...])
#
# The static library of the folder it is called in. Its headers are included as
# "folder/Header.h", from an include folder of its own that holds nothing but a link to this
# folder: a file can include only the headers of the libraries its library links, and a wrong
# include fails to compile instead of failing to link.
function(tessary_library name)
    cmake_parse_arguments(L "" "" "SOURCES;PUBLIC;PRIVATE" ${ARGN})
    file(RELATIVE_PATH folder ${TESSARY_SOURCE_ROOT} ${CMAKE_CURRENT_SOURCE_DIR})
    set(root ${CMAKE_BINARY_DIR}/include/${name})
    get_filename_component(parent ${root}/${folder} DIRECTORY)
    file(MAKE_DIRECTORY ${parent})
    if(NOT IS_SYMLINK ${root}/${folder})
        file(CREATE_LINK ${CMAKE_CURRENT_SOURCE_DIR} ${root}/${folder} SYMBOLIC)
    endif()
    add_library(${name} STATIC ${L_SOURCES})
    target_include_directories(${name} PUBLIC ${root})
    target_link_libraries(${name} PUBLIC ${L_PUBLIC} PRIVATE tessary_flags ${L_PRIVATE})
endfunction()
