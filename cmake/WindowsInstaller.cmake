# The Windows setup program, Quarnel-<version>-win64-setup.exe: CPack's NSIS
# generator packs what `cmake --install` puts into the deployable folder
# (WindowsDeploy.cmake), so the setup, the folder and the zip hold the same
# files. `cpack` in the build folder makes it (scripts/windows-tests.sh); it
# needs makensis (Debian's nsis, whose amd64-unicode stubs make a 64-bit
# setup).
#
# The script is ours (packaging/windows/NSIS.template.in), not CPack's own:
# the uninstaller asks whether to remove the settings, and both refuse to
# touch the folder while Quarnel runs from it. A setup of another version is
# made with `cpack -D CPACK_PACKAGE_VERSION=<version>`: the file name follows.

set(CPACK_GENERATOR NSIS)
set(CPACK_PACKAGE_NAME Quarnel)
set(CPACK_PACKAGE_VENDOR "The Quarnel developers")
set(CPACK_PACKAGE_VERSION ${PROJECT_VERSION})
set(CPACK_PACKAGE_INSTALL_DIRECTORY Quarnel)
set(CPACK_NSIS_URL_INFO_ABOUT ${QUARNEL_HOME_PAGE})
set(CPACK_NSIS_MUI_ICON ${PROJECT_SOURCE_DIR}/resources/quarnel.ico)
set(CPACK_NSIS_COMPRESSOR "/SOLID lzma")
# Read by CPack when it runs, after any -D on its command line.
set(CPACK_PROJECT_CONFIG_FILE ${PROJECT_SOURCE_DIR}/packaging/windows/CPackProjectConfig.cmake)
# CPack looks for NSIS.template.in along the module path first.
list(PREPEND CMAKE_MODULE_PATH ${PROJECT_SOURCE_DIR}/packaging/windows)
include(CPack)
