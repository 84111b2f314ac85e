# Cross-compiling for 64-bit Windows with MinGW-w64 (posix threads), linked statically
# so the program needs no runtime DLLs beyond the system's.
set(CMAKE_SYSTEM_NAME Windows)
set(CMAKE_SYSTEM_PROCESSOR x86_64)
set(CMAKE_C_COMPILER   x86_64-w64-mingw32-gcc-posix)
set(CMAKE_CXX_COMPILER x86_64-w64-mingw32-g++-posix)
set(CMAKE_RC_COMPILER  x86_64-w64-mingw32-windres)
set(CMAKE_FIND_ROOT_PATH /usr/x86_64-w64-mingw32)
set(CMAKE_FIND_ROOT_PATH_MODE_PROGRAM NEVER)
set(CMAKE_FIND_ROOT_PATH_MODE_LIBRARY ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_INCLUDE ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_PACKAGE ONLY)
set(CMAKE_EXE_LINKER_FLAGS_INIT "-static -static-libgcc -static-libstdc++")

# libcrypto built for MinGW by "./dev setup": taken from OPENSSL_MINGW_ROOT (option or
# environment), else from the path that setup keeps in its cache folder, so a plain
# "cmake --preset windows" finds it; the project stops with one line when it is missing.
# The inner configure runs of try_compile receive it from here.
list(APPEND CMAKE_TRY_COMPILE_PLATFORM_VARIABLES OPENSSL_MINGW_ROOT)
if(NOT OPENSSL_MINGW_ROOT AND DEFINED ENV{OPENSSL_MINGW_ROOT})
  set(OPENSSL_MINGW_ROOT "$ENV{OPENSSL_MINGW_ROOT}")
endif()
if(NOT OPENSSL_MINGW_ROOT)
  if(DEFINED ENV{DOZELITE_CACHE})
    set(dozelite_cache "$ENV{DOZELITE_CACHE}")
  else()
    set(dozelite_cache "$ENV{HOME}/.cache/dozelite")
  endif()
  if(EXISTS "${dozelite_cache}/openssl-mingw64.path")
    file(STRINGS "${dozelite_cache}/openssl-mingw64.path" OPENSSL_MINGW_ROOT LIMIT_COUNT 1)
  endif()
endif()
set(OPENSSL_MINGW_ROOT "${OPENSSL_MINGW_ROOT}" CACHE PATH "OpenSSL built for MinGW (./dev setup)" FORCE)
