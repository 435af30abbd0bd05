# Every test program runs under Wine (the toolchain's emulator). The test command starts a
# pool of desktops (scripts/xvfb.sh, scripts/pulse.sh): each an X display with its window
# manager, a sound server and a Wine prefix of its own, so that as many tests as there are
# desktops run at once without sharing windows, the Running Object Table, the registry, the
# graphs on drive D: or the sound. CTest hands the desktops out as the resource "desktops"
# (scripts/test.sh writes the resource file). The prefixes are made by the "wineprefix"
# fixture before any test that needs one runs, and shut down after the last; nothing outside
# the build tree is touched.
set(MERIDEL_WINEPREFIX "${CMAKE_BINARY_DIR}/wineprefix" CACHE INTERNAL "")
set(MERIDEL_TEST_ENV
    "MERIDEL_BUILD_DIR=${CMAKE_BINARY_DIR}"
    "WINEPREFIX=${MERIDEL_WINEPREFIX}"
    "WINEDEBUG=-all"
    "WINEDLLOVERRIDES=mscoree,mshtml=")
set(MERIDEL_ON_DESKTOP "${PROJECT_SOURCE_DIR}/tests/desktops/on-desktop.sh")

# meridel_add_test(NAME COMMAND...): a test that needs a desktop (a display, and a prefix
# whose state it may change). COMMAND is a program of this tree, run under Wine, or any
# other command, which then starts Wine itself.
# meridel_add_bare_test(NAME COMMAND...): a test that needs no display and changes nothing
# a desktop's tests rely on; it runs in a prefix of its own beside the desktop tests.
function(meridel_wine_test mode name program)
  if(TARGET ${program})
    set(command ${CMAKE_CROSSCOMPILING_EMULATOR} $<TARGET_FILE:${program}>)
  else()
    set(command ${program})
  endif()
  add_test(NAME ${name} COMMAND bash ${MERIDEL_ON_DESKTOP} ${mode} ${command} ${ARGN})
  set_tests_properties(${name} PROPERTIES
    ENVIRONMENT "${MERIDEL_TEST_ENV}"
    FIXTURES_REQUIRED wineprefix
    TIMEOUT 900)
  if(mode STREQUAL "desktop")
    set_tests_properties(${name} PROPERTIES RESOURCE_GROUPS "desktops:1")
  endif()
endfunction()

function(meridel_add_test name)
  meridel_wine_test(desktop ${name} ${ARGN})
endfunction()

function(meridel_add_bare_test name)
  meridel_wine_test(bare ${name} ${ARGN})
endfunction()

# The longest tests carry a COST of about the seconds they take, so that CTest starts them
# first on a fresh tree (later runs use the times it recorded): a long test started last
# would leave the other desktops idle at the end of the run.
