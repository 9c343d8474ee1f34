# Cross-compiling for 64-bit Windows with Debian's MinGW-w64 GCC, posix thread model
# (g++-mingw-w64-x86-64-posix). scripts/windows hands it to the MinGW Qt's own toolchain file
# (QT_CHAINLOAD_TOOLCHAIN_FILE), which adds the Qt prefix to the search paths.
set(CMAKE_SYSTEM_NAME Windows)
set(CMAKE_SYSTEM_PROCESSOR x86_64)

set(MINGW_TRIPLE x86_64-w64-mingw32)
set(CMAKE_C_COMPILER ${MINGW_TRIPLE}-gcc-posix)
set(CMAKE_CXX_COMPILER ${MINGW_TRIPLE}-g++-posix)
set(CMAKE_RC_COMPILER ${MINGW_TRIPLE}-windres)
set(CMAKE_AR /usr/bin/${MINGW_TRIPLE}-ar CACHE FILEPATH "")
set(CMAKE_RANLIB /usr/bin/${MINGW_TRIPLE}-ranlib CACHE FILEPATH "")
set(CMAKE_STRIP /usr/bin/${MINGW_TRIPLE}-strip CACHE FILEPATH "")

# Headers, libraries and packages from the MinGW sysroot (and the Qt prefix); programs (moc,
# rcc) from the build machine.
list(APPEND CMAKE_FIND_ROOT_PATH /usr/${MINGW_TRIPLE})
set(CMAKE_FIND_ROOT_PATH_MODE_PROGRAM NEVER)
set(CMAKE_FIND_ROOT_PATH_MODE_LIBRARY ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_INCLUDE ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_PACKAGE ONLY)
set(ENV{PKG_CONFIG_LIBDIR} "/usr/${MINGW_TRIPLE}/lib/pkgconfig")
set(ENV{PKG_CONFIG_PATH} "")

# ctest runs the tests through Wine; Debian keeps wine64 out of the PATH.
find_program(WINE64_EXECUTABLE NAMES wine64 wine PATHS /usr/lib/wine)
if(WINE64_EXECUTABLE)
  set(CMAKE_CROSSCOMPILING_EMULATOR ${WINE64_EXECUTABLE})
endif()
