# Cross-compiles the 32-bit Windows deliverables with MinGW-w64 (posix threads,
# which GoogleTest needs) and runs the built programs under Wine.
set(CMAKE_SYSTEM_NAME Windows)
set(CMAKE_SYSTEM_PROCESSOR i686)
set(VORLEX_MINGW i686-w64-mingw32)

set(CMAKE_C_COMPILER ${VORLEX_MINGW}-gcc-posix)
set(CMAKE_CXX_COMPILER ${VORLEX_MINGW}-g++-posix)
set(CMAKE_RC_COMPILER ${VORLEX_MINGW}-windres)

set(CMAKE_FIND_ROOT_PATH /usr/${VORLEX_MINGW})
set(CMAKE_FIND_ROOT_PATH_MODE_PROGRAM NEVER)
set(CMAKE_FIND_ROOT_PATH_MODE_LIBRARY ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_INCLUDE ONLY)

find_program(VORLEX_WINE wine)
if(NOT VORLEX_WINE)
  message(FATAL_ERROR "Wine is missing: run tools/install-deps as root")
endif()
set(CMAKE_CROSSCOMPILING_EMULATOR ${CMAKE_CURRENT_LIST_DIR}/../tools/wine-run)
