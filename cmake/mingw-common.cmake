# What both MinGW-w64 toolchain files share: the compilers of the machine
# named by VORLEX_MINGW (posix threads, which GoogleTest needs) and where
# its libraries and headers are found.
set(CMAKE_SYSTEM_NAME Windows)

set(CMAKE_C_COMPILER ${VORLEX_MINGW}-gcc-posix)
set(CMAKE_CXX_COMPILER ${VORLEX_MINGW}-g++-posix)
set(CMAKE_RC_COMPILER ${VORLEX_MINGW}-windres)

set(CMAKE_FIND_ROOT_PATH /usr/${VORLEX_MINGW})
set(CMAKE_FIND_ROOT_PATH_MODE_PROGRAM NEVER)
set(CMAKE_FIND_ROOT_PATH_MODE_LIBRARY ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_INCLUDE ONLY)
