# Cross build for 64-bit Windows with mingw-w64. The -posix compilers use the
# winpthreads thread model, which std::thread and std::mutex need.
set(CMAKE_SYSTEM_NAME Windows)
set(CMAKE_SYSTEM_PROCESSOR x86_64)

set(KORVANE_MINGW_TRIPLE x86_64-w64-mingw32)
set(CMAKE_C_COMPILER   ${KORVANE_MINGW_TRIPLE}-gcc-posix)
set(CMAKE_CXX_COMPILER ${KORVANE_MINGW_TRIPLE}-g++-posix)
set(CMAKE_RC_COMPILER  ${KORVANE_MINGW_TRIPLE}-windres)

# Look for libraries and headers in the mingw sysroot only, programs on the host.
set(CMAKE_FIND_ROOT_PATH /usr/${KORVANE_MINGW_TRIPLE})
set(CMAKE_FIND_ROOT_PATH_MODE_PROGRAM NEVER)
set(CMAKE_FIND_ROOT_PATH_MODE_LIBRARY ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_INCLUDE ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_PACKAGE ONLY)

# Every executable must run on a clean Windows with nothing beside it:
# libgcc, libstdc++ and winpthread are linked in, not shipped as DLLs.
set(CMAKE_EXE_LINKER_FLAGS_INIT "-static")
