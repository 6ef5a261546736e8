# quarnel_embed_version(<target> <major> <minor> <release> <build>)
#
# Gives an ELF program the four numbers of its file version as a note that the
# Info tab reads back from the program file (src/platform/linux/LinuxVersion.cpp).
# Windows programs carry theirs in a version resource instead.
function(quarnel_embed_version target major minor release build)
    foreach(number IN ITEMS ${major} ${minor} ${release} ${build})
        if(NOT number MATCHES "^[0-9]+$" OR number GREATER 65535)
            message(FATAL_ERROR
                "quarnel_embed_version(${target}): '${number}' is not a number from 0 to 65535")
        endif()
    endforeach()
    set(QUARNEL_NOTE_TARGET ${target})
    set(QUARNEL_NOTE_MAJOR ${major})
    set(QUARNEL_NOTE_MINOR ${minor})
    set(QUARNEL_NOTE_RELEASE ${release})
    set(QUARNEL_NOTE_BUILD ${build})
    set(source ${CMAKE_CURRENT_BINARY_DIR}/${target}_version_note.cpp)
    configure_file(${PROJECT_SOURCE_DIR}/cmake/VersionNote.cpp.in ${source} @ONLY)
    # Compiled into the program itself, not into a library it links, so the
    # linker cannot leave the note out.
    target_sources(${target} PRIVATE ${source})
endfunction()
