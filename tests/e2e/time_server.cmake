# The CTest fixture `time_server`: Debian's chronyd serving the real time on
# 127.0.0.1 (tests/e2e/time_server.py), started once before the tests that
# require it and ended after them, for tests of any kind that ask a real NTP
# server. Such a test reads the server's address, one line
# "127.0.0.1:<port>", from the file named by QUARNEL_TEST_TIME_SERVER_FILE:
#
#   quarnel_needs_time_server(<test>)
#
# called in the folder whose CMakeLists.txt added the test (CMake sets a
# test's properties only there). A test that gtest_discover_tests finds has
# no name yet at this point: run its program once more with a filter for it,
# as tests/decodes does for its network tests, and let the discovered copy
# skip when the variable is missing:
#
#   add_test(NAME window.time_server
#       COMMAND quarnel_window_tests --gtest_filter=TimeServerWindowTest.*)
#   quarnel_needs_time_server(window.time_server)
#
# In the Windows cross build the test programs run under Wine, which shows
# this machine's files on drive Z:, so the variable names the same file as
# "Z:/tmp/..." (Windows takes the forward slashes). The server itself is the
# same chronyd on this machine's loopback, which Wine's sockets reach; the
# build has no clock library of this machine's, so the fixture builds one
# from its source with this machine's compiler.
#
# chronyd runs as user 65534: the fixture needs root, or a user without the
# right to set the clock, and the package registry the first time (the
# package is fetched into /var/cache/quarnel/debs, never installed). It
# leaves nothing behind: time_server.stop ends chronyd and removes the
# folder, and a run cut short ends it too, as the fixture's supervisor ends
# everything when the CTest that started it ends.
find_package(Python3 REQUIRED COMPONENTS Interpreter)

string(MD5 time_server_hash "${PROJECT_BINARY_DIR}")
string(SUBSTRING "${time_server_hash}" 0 12 time_server_hash)
set(time_server_folder "/tmp/quarnel-time-server-${time_server_hash}")
if(WIN32)
    set(QUARNEL_TIME_SERVER_FILE "Z:${time_server_folder}/address")
    find_program(QUARNEL_HOST_CXX NAMES c++ g++ REQUIRED
        DOC "this machine's C++ compiler, for the time server's clock library")
    set(time_server_shim
        --shim-source ${PROJECT_SOURCE_DIR}/tools/clockshim/ClockShim.cpp
        --compiler ${QUARNEL_HOST_CXX})
else()
    set(QUARNEL_TIME_SERVER_FILE "${time_server_folder}/address")
    set(time_server_shim --shim $<TARGET_FILE:quarnel_clockshim>)
endif()

set(time_server_script ${CMAKE_CURRENT_LIST_DIR}/time_server.py)
add_test(NAME time_server.start
    COMMAND ${Python3_EXECUTABLE} -B ${time_server_script} start ${time_server_folder}
            ${time_server_shim})
add_test(NAME time_server.stop
    COMMAND ${Python3_EXECUTABLE} -B ${time_server_script} stop ${time_server_folder})
set_tests_properties(time_server.start PROPERTIES
    FIXTURES_SETUP time_server
    LABELS fixture
    TIMEOUT 120
    ENVIRONMENT "QUARNEL_E2E_SANITIZER_RUNTIME=${QUARNEL_SANITIZER_RUNTIME}")
set_tests_properties(time_server.stop PROPERTIES
    FIXTURES_CLEANUP time_server
    LABELS fixture
    TIMEOUT 30)

function(quarnel_needs_time_server test)
    set_property(TEST ${test} APPEND PROPERTY FIXTURES_REQUIRED time_server)
    set_property(TEST ${test} APPEND PROPERTY ENVIRONMENT
        "QUARNEL_TEST_TIME_SERVER_FILE=${QUARNEL_TIME_SERVER_FILE}")
endfunction()
