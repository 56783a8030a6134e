# The Windows side of a server DLL: its type library compiled from IDL by widl and held as the
# DLL's TYPELIB resource, the exports named by a .def file, and the DLL's own name (no "lib").
find_program(WIDL NAMES ${CMAKE_SYSTEM_PROCESSOR}-w64-mingw32-widl widl REQUIRED)
set(WAGELINK_WINE_IDL "/usr/include/wine/wine/windows" CACHE PATH
    "The system IDL files widl imports (Debian's libwine-dev)")
# widl reads only the type descriptions of the libraries ours import (names, identifiers and
# layouts of stdole2's and MSXML's interfaces), which are the same in both bitnesses: the 32-bit
# type libraries come out byte for byte the same from the 64-bit Wine's files as from the 32-bit
# one's. So both builds read the 64-bit Wine's, and the 32-bit DLLs build without wine32:i386.
set(WAGELINK_WINE_DLLS "/usr/lib/x86_64-linux-gnu/wine/x86_64-windows" CACHE PATH
    "Where stdole2.tlb and msxml3.dll lie, whose type libraries ours import")
if(CMAKE_SIZEOF_VOID_P EQUAL 8)
    set(widl_bits --win64)
else()
    set(widl_bits --win32)
endif()

function(wagelink_windows_dll TARGET IDL DEF)
    set(idl "${PROJECT_SOURCE_DIR}/src/windows/${IDL}.idl")
    set(tlb "${CMAKE_CURRENT_BINARY_DIR}/${IDL}.tlb")
    set(rc "${CMAKE_CURRENT_BINARY_DIR}/${IDL}.rc")
    add_custom_command(
        OUTPUT "${tlb}"
        COMMAND ${WIDL} ${widl_bits} -t -I${WAGELINK_WINE_IDL} -I${PROJECT_SOURCE_DIR}/src/windows
                -I${PROJECT_SOURCE_DIR}/src
                -L${WAGELINK_WINE_DLLS} -o "${tlb}" "${idl}"
        DEPENDS "${idl}" "${PROJECT_SOURCE_DIR}/src/windows/methods.idl.inc"
                "${PROJECT_SOURCE_DIR}/src/wagelink_identities.h"
        VERBATIM)
    file(WRITE "${rc}" "1 TYPELIB \"${tlb}\"\n")
    set_source_files_properties("${rc}" PROPERTIES OBJECT_DEPENDS "${tlb}")
    target_sources(${TARGET} PRIVATE "${rc}" "${PROJECT_SOURCE_DIR}/src/windows/${DEF}.def")
    set_target_properties(${TARGET} PROPERTIES PREFIX "" OUTPUT_NAME ${IDL})
    target_link_options(${TARGET} PRIVATE -Wl,--enable-stdcall-fixup)
endfunction()
