# Read by cpack when it runs (CPACK_PROJECT_CONFIG_FILE): names the setup
# program after the version it is made for, also one given with
# `cpack -D CPACK_PACKAGE_VERSION=...`.
set(CPACK_PACKAGE_FILE_NAME "Quarnel-${CPACK_PACKAGE_VERSION}-win64-setup")
