# kelvaro_png_size(<file> <width-var> <height-var>): the size in a PNG's
# header, empty when the file is not a PNG.
function(kelvaro_png_size file width_var height_var)
    set(width "")
    set(height "")
    file(READ "${file}" header LIMIT 24 HEX)
    # The signature, then the IHDR chunk's length and type, width and height.
    string(SUBSTRING "${header}" 0 32 start)
    string(LENGTH "${header}" length)
    if(start STREQUAL "89504e470d0a1a0a0000000d49484452" AND length EQUAL 48)
        string(SUBSTRING "${header}" 32 8 width)
        string(SUBSTRING "${header}" 40 8 height)
        math(EXPR width "0x${width}")
        math(EXPR height "0x${height}")
    endif()
    set(${width_var} "${width}" PARENT_SCOPE)
    set(${height_var} "${height}" PARENT_SCOPE)
endfunction()
