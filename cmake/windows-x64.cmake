# Cross-compiling for 64-bit Windows with Debian's MinGW-w64 (GCC, the POSIX
# threads variant, which gives std::thread and std::mutex). Used by
# scripts/build.sh windows and by scripts/deps/sdl-windows.sh, which builds
# SDL2 and SDL2_mixer with it.
#
# MORVEX2_WINDOWS_DEPS names the prefix the SDL libraries were installed
# into; it is searched as the root of every library, header and package.
set(CMAKE_SYSTEM_NAME Windows)
set(CMAKE_SYSTEM_PROCESSOR x86_64)

set(morvex2_mingw x86_64-w64-mingw32)
set(CMAKE_C_COMPILER ${morvex2_mingw}-gcc-posix)
set(CMAKE_CXX_COMPILER ${morvex2_mingw}-g++-posix)
set(CMAKE_RC_COMPILER ${morvex2_mingw}-windres)
set(CMAKE_ASM_COMPILER ${morvex2_mingw}-gcc-posix)

# try_compile projects see the same prefix.
list(APPEND CMAKE_TRY_COMPILE_PLATFORM_VARIABLES MORVEX2_WINDOWS_DEPS)
set(CMAKE_FIND_ROOT_PATH /usr/${morvex2_mingw})
if(MORVEX2_WINDOWS_DEPS)
  list(PREPEND CMAKE_FIND_ROOT_PATH ${MORVEX2_WINDOWS_DEPS})
endif()
set(CMAKE_FIND_ROOT_PATH_MODE_PROGRAM NEVER)
set(CMAKE_FIND_ROOT_PATH_MODE_LIBRARY ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_INCLUDE ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_PACKAGE ONLY)

# One executable that needs no DLL beside it: neither the compiler's nor
# zlib's (Debian's package has both kinds).
set(CMAKE_EXE_LINKER_FLAGS_INIT "-static -static-libgcc -static-libstdc++")
set(ZLIB_USE_STATIC_LIBS ON)
