# Cross-compiling for 64-bit Windows with Debian's MinGW-w64 (posix threads,
# which Qt needs). Used to build the Qt under scripts/windows/ and, with that
# Qt's prefix in PEZZARIUM_QT_WINDOWS, the program itself (preset "windows").
set(CMAKE_SYSTEM_NAME Windows)
set(CMAKE_SYSTEM_PROCESSOR x86_64)

set(triple x86_64-w64-mingw32)
set(CMAKE_C_COMPILER ${triple}-gcc-posix)
set(CMAKE_CXX_COMPILER ${triple}-g++-posix)
set(CMAKE_RC_COMPILER ${triple}-windres)
set(CMAKE_AR ${triple}-gcc-ar-posix CACHE FILEPATH "")
set(CMAKE_RANLIB ${triple}-gcc-ranlib-posix CACHE FILEPATH "")

set(CMAKE_FIND_ROOT_PATH /usr/${triple})
if(DEFINED ENV{PEZZARIUM_QT_WINDOWS})
    set(PEZZARIUM_QT_WINDOWS "$ENV{PEZZARIUM_QT_WINDOWS}" CACHE PATH "The Windows Qt's prefix")
endif()
if(PEZZARIUM_QT_WINDOWS)
    list(APPEND CMAKE_FIND_ROOT_PATH ${PEZZARIUM_QT_WINDOWS})
    list(APPEND CMAKE_PREFIX_PATH ${PEZZARIUM_QT_WINDOWS})
    # moc, rcc and uic run on this machine: Debian's, of the same Qt version.
    set(QT_HOST_PATH /usr CACHE PATH "")
    set(QT_HOST_PATH_CMAKE_DIR /usr/lib/x86_64-linux-gnu/cmake CACHE PATH "")
endif()
set(CMAKE_FIND_ROOT_PATH_MODE_PROGRAM NEVER)
set(CMAKE_FIND_ROOT_PATH_MODE_LIBRARY ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_INCLUDE ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_PACKAGE ONLY)
