# Cross build for 64-bit Windows with Debian's mingw-w64 (posix threads).
#
# The static libraries come from tools/build-windows-deps.sh; point this file
# at its prefix with -DPIZZERIA_WINDOWS_PREFIX=... (or the environment
# variable of the same name, or CMAKE_PREFIX_PATH).

set(CMAKE_SYSTEM_NAME Windows)
set(CMAKE_SYSTEM_PROCESSOR x86_64)

set(_pizzeria_triple x86_64-w64-mingw32)
# The posix flavour: std::thread and std::mutex need winpthreads.
set(CMAKE_C_COMPILER ${_pizzeria_triple}-gcc-posix)
set(CMAKE_CXX_COMPILER ${_pizzeria_triple}-g++-posix)
set(CMAKE_RC_COMPILER ${_pizzeria_triple}-windres)
set(CMAKE_AR ${_pizzeria_triple}-ar CACHE FILEPATH "")
set(CMAKE_RANLIB ${_pizzeria_triple}-ranlib CACHE FILEPATH "")

if(NOT PIZZERIA_WINDOWS_PREFIX AND DEFINED ENV{PIZZERIA_WINDOWS_PREFIX})
  set(PIZZERIA_WINDOWS_PREFIX "$ENV{PIZZERIA_WINDOWS_PREFIX}")
endif()
set(PIZZERIA_WINDOWS_PREFIX "${PIZZERIA_WINDOWS_PREFIX}" CACHE PATH
    "Prefix holding the static Windows libraries")
# try_compile projects re-read this file without the cache.
list(APPEND CMAKE_TRY_COMPILE_PLATFORM_VARIABLES PIZZERIA_WINDOWS_PREFIX)

set(CMAKE_FIND_ROOT_PATH ${PIZZERIA_WINDOWS_PREFIX} ${CMAKE_PREFIX_PATH}
    /usr/${_pizzeria_triple})
set(CMAKE_FIND_ROOT_PATH_MODE_PROGRAM NEVER)
set(CMAKE_FIND_ROOT_PATH_MODE_LIBRARY ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_INCLUDE ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_PACKAGE ONLY)

# Host .pc files describe Linux libraries; only the prefix's may be used.
if(PIZZERIA_WINDOWS_PREFIX)
  set(ENV{PKG_CONFIG_LIBDIR} "${PIZZERIA_WINDOWS_PREFIX}/lib/pkgconfig")
  set(ENV{PKG_CONFIG_SYSROOT_DIR} "")
endif()

# One self-contained .exe: no libstdc++, libgcc or winpthread DLL to ship.
set(CMAKE_EXE_LINKER_FLAGS_INIT "-static -static-libgcc -static-libstdc++")
set(CMAKE_SHARED_LINKER_FLAGS_INIT "-static-libgcc -static-libstdc++")
set(CMAKE_MODULE_LINKER_FLAGS_INIT "-static-libgcc -static-libstdc++")
# FindZLIB would otherwise take libz.dll.a and pull in zlib1.dll.
set(ZLIB_USE_STATIC_LIBS ON)
# Everything in the prefix is static; GLEW's config then adds GLEW_STATIC.
set(GLEW_USE_STATIC_LIBS ON)

# Lets CTest and add_custom_command run the test executables.
find_program(PIZZERIA_WINE NAMES wine wine64 wine-stable)
if(PIZZERIA_WINE)
  set(CMAKE_CROSSCOMPILING_EMULATOR ${PIZZERIA_WINE})
endif()
