# Windows x64 build (mingw-w64): the DLL, the Windows test executables run by
# ctest under Wine, and the portable core's tests compiled with this toolchain
# so C-runtime differences (number text, wchar_t, locale) are caught here too.
add_compile_options(-Wall -Wextra -Wno-unused-parameter)
add_compile_definitions(UNICODE _UNICODE WIN32_LEAN_AND_MEAN NOMINMAX _WIN32_WINNT=0x0A00)
# Everything static: nothing from the toolchain has to be found at run time.
add_link_options(-static -static-libgcc -static-libstdc++)

include(cmake/Portable.cmake)
corvane_add_portable_library(corvane_core)
target_compile_options(corvane_core PRIVATE -O2)

set(INSTALL_GTEST OFF CACHE BOOL "" FORCE)
set(BUILD_GMOCK OFF CACHE BOOL "" FORCE)
set(gtest_disable_pthreads OFF CACHE BOOL "" FORCE)
add_subdirectory(${GOOGLETEST_DIR} ${CMAKE_BINARY_DIR}/googletest EXCLUDE_FROM_ALL)

include(cmake/Tests.cmake)
corvane_add_core_tests(corvane_core)

# A Windows test executable; corvane_add_win_test also runs it under Wine by
# ctest. Tests find the built DLL next to themselves.
function(corvane_add_win_executable name)
  add_executable(${name} ${ARGN})
  set_target_properties(${name} PROPERTIES RUNTIME_OUTPUT_DIRECTORY ${CMAKE_BINARY_DIR})
  target_link_libraries(${name} PRIVATE gtest gtest_main corvane_core ole32 oleaut32 uuid advapi32 user32 gdi32 version)
  target_include_directories(${name} PRIVATE ${CMAKE_SOURCE_DIR}/src ${CMAKE_SOURCE_DIR}/tests/win ${CMAKE_BINARY_DIR}/idl)
  add_dependencies(${name} corvane_idl corvane_ocx)
endfunction()

function(corvane_add_win_test name)
  corvane_add_win_executable(${name} ${ARGN})
  add_test(NAME ${name} COMMAND ${name} --gtest_brief=1)
  set_tests_properties(${name} PROPERTIES TIMEOUT 120
    ENVIRONMENT "CORVANE_SHARED_DIR=${CORVANE_SHARED_DIR};CORVANE_SOURCE_DIR=${CMAKE_SOURCE_DIR}")
endfunction()

if(EXISTS ${CMAKE_SOURCE_DIR}/src/module/CMakeLists.txt)
  add_subdirectory(src/module)
endif()
if(EXISTS ${CMAKE_SOURCE_DIR}/tests/win/CMakeLists.txt)
  add_subdirectory(tests/win)
endif()
add_subdirectory(bench)
