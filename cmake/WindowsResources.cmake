# The resource script of Quarnel.exe (manifest, icon, version), generated so
# that its fixed file version is always the project version. Included from the
# top-level CMakeLists.txt on Windows; quarnel_add_windows_resources(target)
# links the script into a program.

enable_language(RC)

set(QUARNEL_RESOURCES_DIR ${PROJECT_SOURCE_DIR}/resources)
set(_quarnel_version_parts "")
foreach(part MAJOR MINOR PATCH TWEAK)
    if("${PROJECT_VERSION_${part}}" STREQUAL "")
        list(APPEND _quarnel_version_parts 0)
    else()
        list(APPEND _quarnel_version_parts ${PROJECT_VERSION_${part}})
    endif()
endforeach()
list(JOIN _quarnel_version_parts "," QUARNEL_VERSION_COMMAS)
list(JOIN _quarnel_version_parts "." QUARNEL_VERSION_DOTS)

set(QUARNEL_WINDOWS_RESOURCES ${PROJECT_BINARY_DIR}/resources/quarnel.rc)
configure_file(${QUARNEL_RESOURCES_DIR}/quarnel.rc.in ${QUARNEL_WINDOWS_RESOURCES} @ONLY)

# windres does not report the files a script pulls in; rebuild when they change.
function(quarnel_add_windows_resources target)
    target_sources(${target} PRIVATE ${QUARNEL_WINDOWS_RESOURCES})
    set_source_files_properties(${QUARNEL_WINDOWS_RESOURCES} TARGET_DIRECTORY ${target}
        PROPERTIES OBJECT_DEPENDS
        "${QUARNEL_RESOURCES_DIR}/quarnel.manifest;${QUARNEL_RESOURCES_DIR}/quarnel.ico")
endfunction()
