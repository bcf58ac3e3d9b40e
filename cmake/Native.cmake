# Host build: the portable core with its tests under AddressSanitizer and
# UBSan, fuzz targets (clang) and the native benchmarks.
option(CORVANE_SANITIZE "Build the portable core's tests with ASan and UBSan" ON)
set(CORVANE_SANITIZE_FLAGS -fsanitize=address,undefined -fno-sanitize-recover=all -fno-omit-frame-pointer)

add_compile_options(-Wall -Wextra -Wno-unused-parameter)

# Two flavours of the core: optimised (benchmarks, demo) and sanitized (tests).
include(cmake/Portable.cmake)
corvane_add_portable_library(corvane_core)
target_compile_options(corvane_core PRIVATE -O2)

corvane_add_portable_library(corvane_core_checked)
if(CORVANE_SANITIZE)
  target_compile_options(corvane_core_checked PUBLIC ${CORVANE_SANITIZE_FLAGS})
  target_link_options(corvane_core_checked PUBLIC ${CORVANE_SANITIZE_FLAGS})
endif()
if(CORVANE_FUZZ)
  target_compile_options(corvane_core_checked PUBLIC -fsanitize=fuzzer-no-link)
endif()

set(INSTALL_GTEST OFF CACHE BOOL "" FORCE)
set(BUILD_GMOCK OFF CACHE BOOL "" FORCE)
add_subdirectory(${GOOGLETEST_DIR} ${CMAKE_BINARY_DIR}/googletest EXCLUDE_FROM_ALL)

include(cmake/Tests.cmake)
corvane_add_core_tests(corvane_core_checked)

add_subdirectory(tests/fuzz)
add_subdirectory(bench)
add_subdirectory(demo)
