# Windows x64 build (mingw-w64): the DLL, the Windows test executables run by
# ctest under Wine, and the portable core's tests compiled with this toolchain
# so C-runtime differences (number text, wchar_t, locale) are caught here too.
add_compile_options(-Wall -Wextra -Wno-unused-parameter)
add_compile_definitions(UNICODE _UNICODE WIN32_LEAN_AND_MEAN NOMINMAX _WIN32_WINNT=0x0A00)
# Everything static: nothing from the toolchain has to be found at run time.
add_link_options(-static -static-libgcc -static-libstdc++)

file(GLOB CORVANE_JSON_SOURCES CONFIGURE_DEPENDS src/json/*.cpp)
list(FILTER CORVANE_JSON_SOURCES EXCLUDE REGEX "_com\\.cpp$")
add_library(corvane_json STATIC ${CORVANE_JSON_SOURCES})
target_include_directories(corvane_json PUBLIC src/json)
target_compile_options(corvane_json PRIVATE -O2)

set(INSTALL_GTEST OFF CACHE BOOL "" FORCE)
set(BUILD_GMOCK OFF CACHE BOOL "" FORCE)
set(gtest_disable_pthreads OFF CACHE BOOL "" FORCE)
add_subdirectory(${GOOGLETEST_DIR} ${CMAKE_BINARY_DIR}/googletest EXCLUDE_FROM_ALL)

include(cmake/Tests.cmake)
corvane_add_core_tests(corvane_json)

add_subdirectory(bench)
