# Win32 tests run under Wine in prefixes that the test run makes itself: one template per build
# folder (made once, about 13 s), a fresh copy of it for the unit tests of every run, and a copy
# per end-to-end scenario. Nothing touches the user's own ~/.wine.
set(WINE_TEST_ROOT ${CMAKE_BINARY_DIR}/wine)
set(WINE_TEMPLATE ${WINE_TEST_ROOT}/template)
set(WINE_UNIT_PREFIX ${WINE_TEST_ROOT}/unit)

add_test(NAME wine.prefix
  COMMAND bash ${PROJECT_SOURCE_DIR}/tests/wine/make-prefix.sh ${WINE_TEMPLATE} ${WINE_UNIT_PREFIX})
set_tests_properties(wine.prefix PROPERTIES FIXTURES_SETUP wine TIMEOUT 600)

add_test(NAME wine.cleanup
  COMMAND bash ${PROJECT_SOURCE_DIR}/tests/wine/drop-prefix.sh ${WINE_UNIT_PREFIX})
set_tests_properties(wine.cleanup PROPERTIES FIXTURES_CLEANUP wine)

# A GoogleTest program run under Wine in the unit prefix.
function(add_wine_gtest name target)
  add_test(NAME ${name} COMMAND ${target} --gtest_color=no)
  set_tests_properties(${name} PROPERTIES
    FIXTURES_REQUIRED wine
    ENVIRONMENT "WINEPREFIX=${WINE_UNIT_PREFIX};WINEDEBUG=-all;WINEDLLOVERRIDES=mscoree,mshtml="
    TIMEOUT 600)
endfunction()

# A shell scenario that copies the template prefix for itself (tests/e2e/lib.sh).
function(add_wine_scenario name script)
  add_test(NAME ${name} COMMAND bash ${script} ${ARGN})
  set_tests_properties(${name} PROPERTIES
    FIXTURES_REQUIRED wine
    ENVIRONMENT "WINE_TEMPLATE=${WINE_TEMPLATE};BUILD_DIR=${CMAKE_BINARY_DIR};SOURCE_DIR=${PROJECT_SOURCE_DIR};WINEDEBUG=-all;WINEDLLOVERRIDES=mscoree,mshtml="
    TIMEOUT 600)
endfunction()
