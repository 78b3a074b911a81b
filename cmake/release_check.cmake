# Checks the release in DIR and writes its SHA256SUMS (run by the release_sums target):
#  - every program's PE header has no link time, and no program holds the source or the build
#    folder's path, so the same commit gives the same bytes in any build folder;
#  - every program's manifest declares it DPI-aware, per monitor (v2 where the system has it), so
#    that Windows never scales its captures (Wine scales no program, so no test would see it);
#  - Vistrel.exe, when listed, carries the Vistrel64.exe beside it byte for byte.
# Usage: cmake -DDIR=... -DFILES=a.exe,b.exe -DPATHS=/src/,/build/ -P release_check.cmake
cmake_minimum_required(VERSION 3.25)
string(REPLACE "," ";" files "${FILES}")
string(REPLACE "," ";" paths "${PATHS}")

# The 32-bit little-endian number at `offset` of `file`.
function(read_u32 file offset out)
    file(READ "${file}" bytes OFFSET ${offset} LIMIT 4 HEX)
    string(REGEX REPLACE "(..)(..)(..)(..)" "\\4\\3\\2\\1" bytes "${bytes}")
    math(EXPR value "0x${bytes}")
    set(${out} ${value} PARENT_SCOPE)
endfunction()

set(lines "")
foreach(name IN LISTS files)
    set(file "${DIR}/${name}")
    read_u32("${file}" 60 header)          # e_lfanew: where the PE header starts
    math(EXPR stampAt "${header} + 8")     # IMAGE_FILE_HEADER.TimeDateStamp
    read_u32("${file}" ${stampAt} stamp)
    if(NOT stamp EQUAL 0)
        message(FATAL_ERROR "${name}: the PE header holds a link time (${stamp})")
    endif()
    file(READ "${file}" content HEX)
    foreach(path IN LISTS paths)
        string(HEX "${path}" ascii)
        string(REGEX REPLACE "(..)" "\\100" utf16 "${ascii}")
        foreach(form IN ITEMS ${ascii} ${utf16})
            string(FIND "${content}" "${form}" at)
            if(at GREATER -1)
                message(FATAL_ERROR "${name} holds the build path ${path}")
            endif()
        endforeach()
    endforeach()
    foreach(declaration IN ITEMS ">true/pm</dpiAware>" ">PerMonitorV2, PerMonitor</dpiAwareness>")
        string(HEX "${declaration}" form)
        string(FIND "${content}" "${form}" at)
        if(at EQUAL -1)
            message(FATAL_ERROR "${name}: the manifest does not declare ${declaration}")
        endif()
    endforeach()
    file(SHA256 "${file}" hash)
    string(APPEND lines "${hash}  ${name}\n")
endforeach()

if("Vistrel.exe" IN_LIST files)
    file(READ "${DIR}/Vistrel64.exe" carried HEX)
    file(READ "${DIR}/Vistrel.exe" carrier HEX)
    string(FIND "${carrier}" "${carried}" at)
    math(EXPR odd "${at} % 2")
    if(at EQUAL -1 OR odd)
        message(FATAL_ERROR "Vistrel.exe does not carry the Vistrel64.exe beside it")
    endif()
endif()
file(WRITE "${DIR}/SHA256SUMS" "${lines}")
