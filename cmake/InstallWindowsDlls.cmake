# Part of `cmake --install` for Windows (WindowsDeploy.cmake): copies the DLLs
# that QUARNEL_PROGRAMS and QUARNEL_PLUGINS import, directly or through each
# other, from QUARNEL_DLL_FOLDER into the install folder, reading the imports
# with QUARNEL_OBJDUMP. Imports not found there are Windows' own DLLs (the
# folder check makes sure of that).
#
# Not file(GET_RUNTIME_DEPENDENCIES): on a Linux build machine it looks for
# the lower-cased names Windows compares, and misses Qt6Core.dll.

# Run inside cmake_install.cmake, which sets no policies of its own.
cmake_policy(VERSION 3.25)

file(GLOB available RELATIVE "${QUARNEL_DLL_FOLDER}" "${QUARNEL_DLL_FOLDER}/*.dll")
set(available_lower "")
foreach(name IN LISTS available)
    string(TOLOWER "${name}" lower)
    list(APPEND available_lower "${lower}")
endforeach()

set(queue ${QUARNEL_PROGRAMS} ${QUARNEL_PLUGINS})
set(deployed "")
while(queue)
    list(POP_FRONT queue file)
    execute_process(COMMAND "${QUARNEL_OBJDUMP}" -p "${file}"
        OUTPUT_VARIABLE dump COMMAND_ERROR_IS_FATAL ANY)
    string(REGEX MATCHALL "DLL Name: [^\r\n]+" imports "${dump}")
    foreach(import IN LISTS imports)
        string(REGEX REPLACE "^DLL Name: " "" import "${import}")
        string(TOLOWER "${import}" lower)
        list(FIND available_lower "${lower}" index)
        if(index GREATER_EQUAL 0)
            list(GET available ${index} name)
            if(NOT name IN_LIST deployed)
                list(APPEND deployed "${name}")
                list(APPEND queue "${QUARNEL_DLL_FOLDER}/${name}")
            endif()
        endif()
    endforeach()
endwhile()

list(TRANSFORM deployed PREPEND "${QUARNEL_DLL_FOLDER}/")
file(INSTALL ${deployed} DESTINATION "${CMAKE_INSTALL_PREFIX}")
