# The portable core: plain C++20 on UTF-16 text, no windows.h. It builds in
# both trees, natively with sanitizers for its tests, and inside the DLL.
file(GLOB CORVANE_PORTABLE_SOURCES CONFIGURE_DEPENDS
  ${CMAKE_SOURCE_DIR}/src/json/*.cpp
  ${CMAKE_SOURCE_DIR}/src/com/registrar_script.cpp
  ${CMAKE_SOURCE_DIR}/src/pool/*_rules.cpp
  ${CMAKE_SOURCE_DIR}/src/host/*_rules.cpp
  ${CMAKE_SOURCE_DIR}/src/script/*_rules.cpp
  ${CMAKE_SOURCE_DIR}/src/web/*_rules.cpp
  ${CMAKE_SOURCE_DIR}/src/runtime/chromium/portable/*.cpp)
list(FILTER CORVANE_PORTABLE_SOURCES EXCLUDE REGEX "_com\\.cpp$")
set(CORVANE_PORTABLE_INCLUDES ${CMAKE_SOURCE_DIR}/src/json ${CMAKE_SOURCE_DIR}/src/com ${CMAKE_SOURCE_DIR}/src/pool
  ${CMAKE_SOURCE_DIR}/src/host ${CMAKE_SOURCE_DIR}/src/script ${CMAKE_SOURCE_DIR}/src/web ${CMAKE_SOURCE_DIR}/src/runtime/chromium)

function(corvane_add_portable_library name)
  add_library(${name} STATIC ${CORVANE_PORTABLE_SOURCES})
  target_include_directories(${name} PUBLIC ${CORVANE_PORTABLE_INCLUDES})
endfunction()
