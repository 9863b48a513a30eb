# Shared part of the two mingw-w64 toolchain files: CVD_WINDOWS_TRIPLET is set by the caller.
# Every program links statically, so a built .exe needs no DLL beside the system's.
set(CMAKE_SYSTEM_NAME Windows)
set(CMAKE_SYSTEM_VERSION 6.1)

# The posix thread model: std::thread and std::mutex need it.
set(CMAKE_C_COMPILER ${CVD_WINDOWS_TRIPLET}-gcc-posix)
set(CMAKE_CXX_COMPILER ${CVD_WINDOWS_TRIPLET}-g++-posix)
set(CMAKE_RC_COMPILER ${CVD_WINDOWS_TRIPLET}-windres)

# The static libraries of scripts/setup-windows.sh, then the compiler's own sysroot (zlib).
if(DEFINED ENV{CVD_WINDOWS_DEPS} AND NOT "$ENV{CVD_WINDOWS_DEPS}" STREQUAL "")
  set(CVD_WINDOWS_DEPS_PREFIX "$ENV{CVD_WINDOWS_DEPS}/${CVD_WINDOWS_TRIPLET}")
else()
  set(CVD_WINDOWS_DEPS_PREFIX "$ENV{HOME}/.cache/cvdownloader-windows/${CVD_WINDOWS_TRIPLET}")
endif()
set(CMAKE_FIND_ROOT_PATH ${CVD_WINDOWS_DEPS_PREFIX} /usr/${CVD_WINDOWS_TRIPLET})
set(CMAKE_FIND_ROOT_PATH_MODE_PROGRAM NEVER)
set(CMAKE_FIND_ROOT_PATH_MODE_LIBRARY ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_INCLUDE ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_PACKAGE ONLY)
# zlib comes from the sysroot, whose libz.dll.a would pull a DLL into the link: name the archive.
set(ZLIB_LIBRARY /usr/${CVD_WINDOWS_TRIPLET}/lib/libz.a CACHE FILEPATH "static zlib of the sysroot")
set(ZLIB_INCLUDE_DIR /usr/${CVD_WINDOWS_TRIPLET}/include CACHE PATH "zlib headers of the sysroot")

set(CMAKE_EXE_LINKER_FLAGS_INIT "-static -static-libgcc -static-libstdc++")
set(CMAKE_SHARED_LINKER_FLAGS_INIT "-static -static-libgcc -static-libstdc++")
set(CMAKE_MODULE_LINKER_FLAGS_INIT "-static -static-libgcc -static-libstdc++")
