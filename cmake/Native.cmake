# Host build: the portable core with its tests under AddressSanitizer and
# UBSan, fuzz targets (clang) and the native benchmarks.
option(CORVANE_SANITIZE "Build the portable core's tests with ASan and UBSan" ON)
set(CORVANE_SANITIZE_FLAGS -fsanitize=address,undefined -fno-sanitize-recover=all -fno-omit-frame-pointer)

add_compile_options(-Wall -Wextra -Wno-unused-parameter)

# Two flavours of the core: optimised (benchmarks, demo) and sanitized (tests).
file(GLOB CORVANE_JSON_SOURCES CONFIGURE_DEPENDS src/json/*.cpp)
list(FILTER CORVANE_JSON_SOURCES EXCLUDE REGEX "_com\\.cpp$")
add_library(corvane_json STATIC ${CORVANE_JSON_SOURCES})
target_include_directories(corvane_json PUBLIC src/json)
target_compile_options(corvane_json PRIVATE -O2)

add_library(corvane_json_checked STATIC ${CORVANE_JSON_SOURCES})
target_include_directories(corvane_json_checked PUBLIC src/json)
if(CORVANE_SANITIZE)
  target_compile_options(corvane_json_checked PUBLIC ${CORVANE_SANITIZE_FLAGS})
  target_link_options(corvane_json_checked PUBLIC ${CORVANE_SANITIZE_FLAGS})
endif()

if(CORVANE_FUZZ)
  target_compile_options(corvane_json_checked PUBLIC -fsanitize=fuzzer-no-link)
endif()

set(INSTALL_GTEST OFF CACHE BOOL "" FORCE)
set(BUILD_GMOCK OFF CACHE BOOL "" FORCE)
add_subdirectory(${GOOGLETEST_DIR} ${CMAKE_BINARY_DIR}/googletest EXCLUDE_FROM_ALL)

include(cmake/Tests.cmake)
corvane_add_core_tests(corvane_json_checked)

add_subdirectory(tests/fuzz)
add_subdirectory(bench)
add_subdirectory(demo)
