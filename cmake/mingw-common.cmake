# Shared part of the MinGW-w64 toolchain files: Debian's cross compilers with
# the posix thread model (std::thread works), the runtime linked statically so
# each .exe (and the simulator kit's DLLs) runs on its own.
set(CMAKE_SYSTEM_NAME Windows)
set(CMAKE_C_COMPILER ${TALO_MINGW_TRIPLE}-gcc-posix)
set(CMAKE_CXX_COMPILER ${TALO_MINGW_TRIPLE}-g++-posix)
set(CMAKE_RC_COMPILER ${TALO_MINGW_TRIPLE}-windres)
set(CMAKE_FIND_ROOT_PATH /usr/${TALO_MINGW_TRIPLE})
set(CMAKE_FIND_ROOT_PATH_MODE_PROGRAM NEVER)
set(CMAKE_FIND_ROOT_PATH_MODE_LIBRARY ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_INCLUDE ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_PACKAGE ONLY)
set(CMAKE_EXE_LINKER_FLAGS_INIT "-static -static-libgcc -static-libstdc++")
set(CMAKE_SHARED_LINKER_FLAGS_INIT "-static -static-libgcc -static-libstdc++")
