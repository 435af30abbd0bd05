# Every test program runs under Wine (the toolchain's emulator) inside one prefix of the
# build tree. The prefix is made by the "wineprefix" fixture before any other test runs
# and shut down after the last; nothing outside the build tree is touched.
set(MERIDEL_WINEPREFIX "${CMAKE_BINARY_DIR}/wineprefix" CACHE INTERNAL "")
set(MERIDEL_TEST_ENV
    "WINEPREFIX=${MERIDEL_WINEPREFIX}"
    "WINEDEBUG=-all"
    "WINEDLLOVERRIDES=mscoree,mshtml=")

function(meridel_add_test name)
  add_test(NAME ${name} COMMAND ${ARGN})
  set_tests_properties(${name} PROPERTIES
    ENVIRONMENT "${MERIDEL_TEST_ENV}"
    FIXTURES_REQUIRED wineprefix
    TIMEOUT 900)
endfunction()
