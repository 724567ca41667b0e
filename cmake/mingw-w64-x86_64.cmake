# Cross-compiling for 64-bit Windows with Debian's MinGW-w64, POSIX thread
# model (Qt 6 needs std::thread and friends, which the win32 model lacks).
set(CMAKE_SYSTEM_NAME Windows)
set(CMAKE_SYSTEM_PROCESSOR x86_64)

set(TOVRIK_MINGW_TRIPLE x86_64-w64-mingw32)
set(CMAKE_C_COMPILER ${TOVRIK_MINGW_TRIPLE}-gcc-posix)
set(CMAKE_CXX_COMPILER ${TOVRIK_MINGW_TRIPLE}-g++-posix)
set(CMAKE_RC_COMPILER ${TOVRIK_MINGW_TRIPLE}-windres)

# Qt and GoogleTest for Windows live in prefixes of their own, which the
# caller adds to CMAKE_FIND_ROOT_PATH.
list(APPEND CMAKE_FIND_ROOT_PATH /usr/${TOVRIK_MINGW_TRIPLE})
set(CMAKE_FIND_ROOT_PATH_MODE_PROGRAM NEVER)
set(CMAKE_FIND_ROOT_PATH_MODE_LIBRARY ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_INCLUDE ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_PACKAGE ONLY)
