cmake_minimum_required(VERSION 3.25)
# Which folders each folder's code may include: the libraries build on each
# other in this order, and a header-only include across it would slip past
# the linker.
#   cmake -DSOURCE_DIR=<top> -P layering.cmake
set(allowed_encoding encoding)
set(allowed_intake encoding intake)
set(allowed_channels encoding intake channels)
set(allowed_writer encoding intake writer)
set(allowed_fix encoding intake fix)
set(allowed_app/session encoding intake channels writer fix app/session)

set(failures "")
foreach(folder encoding intake channels writer fix app/session)
    file(GLOB sources "${SOURCE_DIR}/${folder}/*.h" "${SOURCE_DIR}/${folder}/*.cpp")
    foreach(source IN LISTS sources)
        file(STRINGS "${source}" includes REGEX "^#include \"[a-z/]+/[A-Za-z0-9_]+\\.h\"")
        foreach(line IN LISTS includes)
            string(REGEX REPLACE "^#include \"(.+)/[A-Za-z0-9_]+\\.h\".*" "\\1" target "${line}")
            if(NOT target IN_LIST allowed_${folder})
                file(RELATIVE_PATH name "${SOURCE_DIR}" "${source}")
                list(APPEND failures "${name}: ${line}")
            endif()
        endforeach()
    endforeach()
endforeach()

if(failures)
    list(JOIN failures "\n  " text)
    message(FATAL_ERROR "includes across the layers:\n  ${text}")
endif()
