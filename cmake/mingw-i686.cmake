# Cross-compiles the 32-bit Windows deliverables with MinGW-w64 and runs the
# built programs under Wine.
set(CMAKE_SYSTEM_PROCESSOR i686)
set(VORLEX_MINGW i686-w64-mingw32)
include(${CMAKE_CURRENT_LIST_DIR}/mingw-common.cmake)

find_program(VORLEX_WINE wine)
if(NOT VORLEX_WINE)
  message(FATAL_ERROR "Wine is missing: run tools/install-deps as root")
endif()
set(CMAKE_CROSSCOMPILING_EMULATOR ${CMAKE_CURRENT_LIST_DIR}/../tools/wine-run)
