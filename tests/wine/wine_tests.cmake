# Runs a Windows test program: natively on the host, under Wine for the Windows build. The Wine
# prefix (one per build directory) and the Xvfb display are set up by the fixture "wine" and torn
# down after the last test that needs them.
set(IG_WINE_RUN ${CMAKE_SOURCE_DIR}/tests/wine/run)

if(WIN32 AND NOT TEST wine_setup)
  add_test(NAME wine_setup COMMAND ${IG_WINE_RUN} --setup)
  add_test(NAME wine_teardown COMMAND ${IG_WINE_RUN} --teardown)
  set_tests_properties(wine_setup PROPERTIES FIXTURES_SETUP wine ENVIRONMENT "IG_BUILD_DIR=${CMAKE_BINARY_DIR}")
  set_tests_properties(wine_teardown PROPERTIES FIXTURES_CLEANUP wine ENVIRONMENT "IG_BUILD_DIR=${CMAKE_BINARY_DIR}")
endif()

function(ig_add_program_test name target)
  if(WIN32)
    add_test(NAME ${name} COMMAND ${IG_WINE_RUN} $<TARGET_FILE:${target}> ${ARGN})
    set_tests_properties(${name} PROPERTIES FIXTURES_REQUIRED wine RUN_SERIAL ON TIMEOUT 900
      ENVIRONMENT "IG_BUILD_DIR=${CMAKE_BINARY_DIR}")
  else()
    add_test(NAME ${name} COMMAND $<TARGET_FILE:${target}> ${ARGN})
    set_tests_properties(${name} PROPERTIES TIMEOUT 900)
  endif()
endfunction()
