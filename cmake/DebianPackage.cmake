# The Debian package, made by `cpack -G DEB` from the install rules
# (cmake/LinuxInstall.cmake); scripts/package.sh builds it and checks it.
# No maintainer scripts: the package grants no capability. The program asks
# the system's time service when it may not set the clock itself.
set(CPACK_GENERATOR DEB)
set(CPACK_PACKAGE_NAME quarnel)
set(CPACK_PACKAGE_VERSION ${PROJECT_VERSION})
set(CPACK_PACKAGE_CONTACT "The Quarnel developers <quarnel@quarnel.example>")
set(CPACK_PACKAGE_DESCRIPTION_SUMMARY
    "nudges the PC clock by tenths of a second for digital modes")
set(CPACK_PACKAGE_DESCRIPTION
"Digital radio modes such as FT8 decode only when the computer's clock is
within a fraction of a second of the other stations. Quarnel moves the local
clock by tenths of a second at the moment the user chooses, keeps a running
total of the nudges so that they can all be undone or kept, and holds the
time synchronization service stopped while it is active. It also keeps text
snippets to copy to the clipboard.

When the program may not set the clock itself, it asks the system's time
service (systemd-timedated), and the desktop asks the user for the right.")
set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)
set(CPACK_DEBIAN_PACKAGE_SECTION hamradio)
set(CPACK_DEBIAN_PACKAGE_PRIORITY optional)
set(CPACK_DEBIAN_PACKAGE_HOMEPAGE ${QUARNEL_HOME_PAGE})
set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS ON)
# The time service that sets the clock for the desktop user, and xdg-open for
# the help page; setcap for systems without the service.
set(CPACK_DEBIAN_PACKAGE_RECOMMENDS "systemd, xdg-utils")
set(CPACK_DEBIAN_PACKAGE_SUGGESTS "libcap2-bin")
set(CPACK_STRIP_FILES ON)
include(CPack)
