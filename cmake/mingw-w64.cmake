# Cross-building the Windows program on Linux with Debian's mingw-w64 (64-bit,
# posix thread model, so std::thread and friends work). Used by scripts/setup-win.sh:
#   cmake -S . -B build/win -DCMAKE_TOOLCHAIN_FILE=cmake/mingw-w64.cmake ...
set(CMAKE_SYSTEM_NAME Windows)
set(CMAKE_SYSTEM_PROCESSOR x86_64)
set(VANTREL_MINGW_TRIPLE x86_64-w64-mingw32)

set(CMAKE_C_COMPILER ${VANTREL_MINGW_TRIPLE}-gcc-posix)
set(CMAKE_CXX_COMPILER ${VANTREL_MINGW_TRIPLE}-g++-posix)
set(CMAKE_RC_COMPILER ${VANTREL_MINGW_TRIPLE}-windres)

# Libraries and headers of the target only (zlib from libz-mingw-w64-dev);
# programs (the artwork generator, the fonts) stay the build machine's.
set(CMAKE_FIND_ROOT_PATH /usr/${VANTREL_MINGW_TRIPLE})
set(CMAKE_FIND_ROOT_PATH_MODE_PROGRAM NEVER)
set(CMAKE_FIND_ROOT_PATH_MODE_LIBRARY ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_INCLUDE ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_PACKAGE ONLY)
