# Cross-compiles the 64-bit Windows edition with MinGW-w64 and runs the built
# programs under 64-bit Wine.
set(CMAKE_SYSTEM_PROCESSOR x86_64)
set(VORLEX_MINGW x86_64-w64-mingw32)
include(${CMAKE_CURRENT_LIST_DIR}/mingw-common.cmake)

# Debian's wine launcher always starts the 32-bit loader when wine32 is
# installed, so the 64-bit loader is called by its own path.
if(NOT EXISTS /usr/lib/wine/wine64)
  message(FATAL_ERROR "64-bit Wine is missing (/usr/lib/wine/wine64, package wine64): run tools/install-deps as root")
endif()
set(CMAKE_CROSSCOMPILING_EMULATOR ${CMAKE_CURRENT_LIST_DIR}/../tools/wine-run --win64)
