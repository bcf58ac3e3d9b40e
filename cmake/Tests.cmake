# The portable core's tests: one executable, built in both trees. Data from
# the shared folder is passed by environment so the same binary skips cleanly
# without it.
# How ctest judges a gtest program. Under Wine a crashing process sometimes
# ends with exit code 0, so there the verdict is read from the output: the
# summary's PASSED line must appear, and a failure or an unhandled exception
# fails the test whatever the exit code says.
function(corvane_gtest_verdict test timeout)
  set_tests_properties(${test} PROPERTIES TIMEOUT ${timeout})
  if(CMAKE_CROSSCOMPILING)
    set_tests_properties(${test} PROPERTIES
      PASS_REGULAR_EXPRESSION "\\[  PASSED  \\] [0-9]+ tests?\\."
      FAIL_REGULAR_EXPRESSION "\\[  FAILED  \\];Unhandled (page fault|exception)")
  endif()
endfunction()

function(corvane_add_core_tests core_lib)
  file(GLOB sources CONFIGURE_DEPENDS ${CMAKE_SOURCE_DIR}/tests/native/*.cpp)
  add_executable(core_tests ${sources})
  target_link_libraries(core_tests PRIVATE ${core_lib} gtest gtest_main)
  add_test(NAME core_tests COMMAND core_tests --gtest_brief=1)
  corvane_gtest_verdict(core_tests 120)
  set_tests_properties(core_tests PROPERTIES
    ENVIRONMENT "CORVANE_SHARED_DIR=${CORVANE_SHARED_DIR};CORVANE_SOURCE_DIR=${CMAKE_SOURCE_DIR}")
endfunction()
