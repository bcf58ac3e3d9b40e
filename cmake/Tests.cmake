# The portable core's tests: one executable, built in both trees. Data from
# the shared folder is passed by environment so the same binary skips cleanly
# without it.
function(corvane_add_core_tests core_lib)
  file(GLOB sources CONFIGURE_DEPENDS ${CMAKE_SOURCE_DIR}/tests/native/*.cpp)
  add_executable(core_tests ${sources})
  target_link_libraries(core_tests PRIVATE ${core_lib} gtest gtest_main)
  add_test(NAME core_tests COMMAND core_tests --gtest_brief=1)
  set_tests_properties(core_tests PROPERTIES TIMEOUT 300
    ENVIRONMENT "CORVANE_SHARED_DIR=${CORVANE_SHARED_DIR};CORVANE_SOURCE_DIR=${CMAKE_SOURCE_DIR}")
endfunction()
