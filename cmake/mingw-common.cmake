# Posix-threads flavour of the MinGW-w64 compilers; the runtime is linked
# statically so no MinGW DLL has to sit beside the programs.
set(CMAKE_C_COMPILER ${QUIL_MINGW_PREFIX}-gcc-posix)
set(CMAKE_CXX_COMPILER ${QUIL_MINGW_PREFIX}-g++-posix)
set(CMAKE_RC_COMPILER ${QUIL_MINGW_PREFIX}-windres)
set(CMAKE_FIND_ROOT_PATH /usr/${QUIL_MINGW_PREFIX})
set(CMAKE_FIND_ROOT_PATH_MODE_PROGRAM NEVER)
set(CMAKE_FIND_ROOT_PATH_MODE_LIBRARY ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_INCLUDE ONLY)
set(CMAKE_EXE_LINKER_FLAGS_INIT "-static -static-libgcc -static-libstdc++")
