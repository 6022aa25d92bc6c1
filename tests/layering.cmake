cmake_minimum_required(VERSION 3.25)
# Which folders each folder's code may include: the libraries build on each
# other in this order. The build lets a library see only the headers of what
# it links; this also keeps a test's or a tool's folder from reaching past the
# libraries it is meant for.
#   cmake -DSOURCE_DIR=<top> -P layering.cmake
set(allowed_base base)
set(allowed_encoding encoding)
set(allowed_intake base encoding intake)
set(allowed_channels base encoding intake channels)
set(allowed_writer base encoding intake writer)
set(allowed_fix base encoding fix)
set(allowed_app/session base encoding intake channels writer fix app/session)
set(allowed_app base encoding intake channels writer fix app/session app)
set(folders base encoding intake channels writer fix app/session app)

set(failures "")
foreach(folder IN LISTS folders)
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

# Every folder of code is one of the layers above.
file(GLOB_RECURSE all_sources RELATIVE "${SOURCE_DIR}" "${SOURCE_DIR}/*.cpp" "${SOURCE_DIR}/*.h")
foreach(source IN LISTS all_sources)
    get_filename_component(folder "${source}" DIRECTORY)
    string(REGEX MATCH "^(build|tests|bench|fuzz)" outside "${folder}")
    if(NOT outside AND NOT folder IN_LIST folders)
        list(APPEND failures "${source}: in no layer")
    endif()
endforeach()

if(failures)
    list(JOIN failures "\n  " text)
    message(FATAL_ERROR "includes across the layers:\n  ${text}")
endif()
