# Cross build of the 32-bit installer with the posix thread-model mingw compilers:
# GoogleTest needs std::mutex, which the win32 thread model lacks.
set(CMAKE_SYSTEM_NAME Windows)
set(CMAKE_SYSTEM_PROCESSOR i686)

set(CMAKE_C_COMPILER   i686-w64-mingw32-gcc-posix)
set(CMAKE_CXX_COMPILER i686-w64-mingw32-g++-posix)
set(CMAKE_RC_COMPILER  i686-w64-mingw32-windres)

set(CMAKE_FIND_ROOT_PATH /usr/i686-w64-mingw32)
set(CMAKE_FIND_ROOT_PATH_MODE_PROGRAM NEVER)
set(CMAKE_FIND_ROOT_PATH_MODE_LIBRARY ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_INCLUDE ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_PACKAGE ONLY)

# Everything static, so the executables import system DLLs only.
set(CMAKE_EXE_LINKER_FLAGS_INIT "-static -static-libgcc -static-libstdc++")

# ctest runs the Win32 test programs under Wine; the tests bring their own WINEPREFIX.
set(CMAKE_CROSSCOMPILING_EMULATOR wine)

# The mingw zlib package ships an import library too; the installer must not need zlib1.dll.
set(ZLIB_USE_STATIC_LIBS ON)
