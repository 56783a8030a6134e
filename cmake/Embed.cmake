# Turns a text file into a C++ source that defines `std::string_view NAME()`, so data files
# (SQL, message catalogs, row mappings) travel inside the library and need no install path.
function(wagelink_embed OUT_VAR NAME FILE)
    set(src "${CMAKE_CURRENT_SOURCE_DIR}/${FILE}")
    set(out "${CMAKE_CURRENT_BINARY_DIR}/embedded/${NAME}.cpp")
    add_custom_command(
        OUTPUT "${out}"
        COMMAND ${CMAKE_COMMAND} -DIN=${src} -DOUT=${out} -DNAME=${NAME}
                -P "${PROJECT_SOURCE_DIR}/cmake/EmbedFile.cmake"
        DEPENDS "${src}" "${PROJECT_SOURCE_DIR}/cmake/EmbedFile.cmake"
        VERBATIM)
    set(${OUT_VAR} ${${OUT_VAR}} "${out}" PARENT_SCOPE)
endfunction()
