# The Windows artifact: `cmake --install` puts the deployable folder together
# (Quarnel.exe, the Qt DLLs it needs, the windows platform plugin, the Vista
# style, the MinGW runtime DLLs and the help page), and the target
# quarnel_windows_zip packs it as Quarnel-<version>-win64.zip in the build
# folder. tools/check-windows-folder.py checks the folder. The setup program
# packs the same install (WindowsInstaller.cmake).
#
# Which Qt and runtime DLLs go in is read from the programs' imports with
# objdump, so that a module the program starts to use (say Qt Network) comes
# along by itself and one it does not use stays out.

set(QUARNEL_PACKAGE_NAME Quarnel-${PROJECT_VERSION}-win64)

install(TARGETS quarnel RUNTIME DESTINATION .)
install(FILES ${PROJECT_SOURCE_DIR}/resources/QuarnelHelp.html DESTINATION .)
# A user who unpacks the zip finds what it is and under which terms first.
install(FILES ${PROJECT_SOURCE_DIR}/resources/README-windows.txt DESTINATION . RENAME README.txt)
install(FILES ${PROJECT_SOURCE_DIR}/LICENSE DESTINATION . RENAME LICENSE.txt)
install(FILES $<TARGET_FILE:Qt6::QWindowsIntegrationPlugin> DESTINATION platforms)
install(FILES $<TARGET_FILE:Qt6::QWindowsVistaStylePlugin> DESTINATION styles)

find_program(QUARNEL_OBJDUMP NAMES ${QUARNEL_MINGW_PREFIX}-objdump objdump REQUIRED)
# The DLLs are looked for where Qt keeps them; its bin folder also holds the
# MinGW runtime DLLs it was built with. Those not found there (or found in
# Windows' own folder, on a Windows build machine) are the system's own; the
# folder check makes sure of that.
install(CODE "
    set(QUARNEL_OBJDUMP \"${QUARNEL_OBJDUMP}\")
    set(QUARNEL_PROGRAMS \"$<TARGET_FILE:quarnel>\")
    set(QUARNEL_PLUGINS \"$<TARGET_FILE:Qt6::QWindowsIntegrationPlugin>\"
        \"$<TARGET_FILE:Qt6::QWindowsVistaStylePlugin>\")
    set(QUARNEL_DLL_FOLDER \"$<TARGET_FILE_DIR:Qt6::Core>\")
    include(\"${CMAKE_CURRENT_LIST_DIR}/InstallWindowsDlls.cmake\")
")

set(staging ${PROJECT_BINARY_DIR}/package)
add_custom_target(quarnel_windows_zip
    COMMAND ${CMAKE_COMMAND} -E rm -rf ${staging}
    COMMAND ${CMAKE_COMMAND} --install ${PROJECT_BINARY_DIR} --config $<CONFIG>
            --prefix ${staging}/${QUARNEL_PACKAGE_NAME}
    COMMAND ${CMAKE_COMMAND} -E chdir ${staging}
            ${CMAKE_COMMAND} -E tar cf ${PROJECT_BINARY_DIR}/${QUARNEL_PACKAGE_NAME}.zip
            --format=zip ${QUARNEL_PACKAGE_NAME}
    DEPENDS quarnel
    COMMENT "Packing ${QUARNEL_PACKAGE_NAME}.zip"
    VERBATIM)

include(${CMAKE_CURRENT_LIST_DIR}/WindowsInstaller.cmake)
