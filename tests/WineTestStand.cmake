# The Windows tests run under Wine on this Linux machine: one Wine prefix per build folder with a
# persistent wineserver and a private Xvfb display, and a server host that starts the Linux test servers (nginx, the fault
# server, the vendor service, the collectors) the Windows tests ask for. Both are started by the
# setup tests of one fixture and stopped by its cleanup tests; every discovered test requires it.
#
# Wine's variables go into the emulator command rather than the tests' ENVIRONMENT, so the
# discovery of the tests (gtest --gtest_list_tests, outside any test) runs in the same prefix.

# Programs of the Linux side, never looked up in the cross toolchain's root.
find_program(CVD_WINE64 wine64 PATHS /usr/lib/wine NO_DEFAULT_PATH NO_CMAKE_FIND_ROOT_PATH)
find_program(CVD_WINESERVER wineserver PATHS /usr/lib/wine NO_DEFAULT_PATH NO_CMAKE_FIND_ROOT_PATH)
find_program(CVD_PYTHON3 python3 NO_CMAKE_FIND_ROOT_PATH)
if(NOT CVD_WINE64 OR NOT CVD_WINESERVER OR NOT CVD_PYTHON3)
  message(FATAL_ERROR "the Windows tests need wine64 and python3 (scripts/setup-windows.sh)")
endif()

set(CVD_WINE_PREFIX ${CMAKE_BINARY_DIR}/wine-prefix)
set(CVD_SERVER_HOST_FILE ${CMAKE_BINARY_DIR}/server-host.txt)
set(CMAKE_CROSSCOMPILING_EMULATOR
    env WINEPREFIX=${CVD_WINE_PREFIX} WINEDEBUG=-all WINEDLLOVERRIDES=mscoree,mshtml=
    CVD_SERVER_HOST=${CVD_SERVER_HOST_FILE}
    bash ${CMAKE_CURRENT_LIST_DIR}/support/wine_run.sh ${CVD_WINE_PREFIX} ${CVD_WINE64})

set(wine_prefix_script ${CMAKE_CURRENT_LIST_DIR}/support/wine_prefix.sh)
set(server_host_script ${CMAKE_CURRENT_LIST_DIR}/support/server_host.py)
add_test(NAME windows.stand.wine.start
         COMMAND bash ${wine_prefix_script} start ${CVD_WINE_PREFIX} ${CVD_WINE64} ${CVD_WINESERVER})
add_test(NAME windows.stand.servers.start
         COMMAND ${CVD_PYTHON3} ${server_host_script} start
                 --state-file ${CVD_SERVER_HOST_FILE})
add_test(NAME windows.stand.wine.stop
         COMMAND bash ${wine_prefix_script} stop ${CVD_WINE_PREFIX} ${CVD_WINE64} ${CVD_WINESERVER})
add_test(NAME windows.stand.servers.stop
         COMMAND ${CVD_PYTHON3} ${server_host_script} stop
                 --state-file ${CVD_SERVER_HOST_FILE})
set_tests_properties(windows.stand.wine.start windows.stand.servers.start PROPERTIES
                     FIXTURES_SETUP windows_test_stand TIMEOUT 180)
set_tests_properties(windows.stand.wine.stop windows.stand.servers.stop PROPERTIES
                     FIXTURES_CLEANUP windows_test_stand TIMEOUT 60)

set(CVD_TEST_FIXTURES windows_test_stand)
# Listing the tests starts the program under Wine (a second or more each): done when ctest
# starts rather than after every link, and given time for a prefix made on the spot. A program
# that did not build then stops the whole run; -DCMAKE_GTEST_DISCOVER_TESTS_DISCOVERY_MODE=
# POST_BUILD runs what did build instead.
if(NOT CMAKE_GTEST_DISCOVER_TESTS_DISCOVERY_MODE)
  set(CMAKE_GTEST_DISCOVER_TESTS_DISCOVERY_MODE PRE_TEST)
endif()
set(CVD_DISCOVERY_ARGS DISCOVERY_TIMEOUT 180)
