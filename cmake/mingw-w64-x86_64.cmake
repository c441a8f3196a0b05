# Cross-compiles for 64-bit Windows with Debian's mingw-w64 (posix thread model:
# the win32 one has no std::thread, which Qt needs). Used for Qt itself by
# scripts/build-qt-mingw.sh and for tovrin.exe against that Qt.
set(CMAKE_SYSTEM_NAME Windows)
set(CMAKE_SYSTEM_PROCESSOR x86_64)

set(TOVRIN_MINGW_TRIPLET x86_64-w64-mingw32)
set(CMAKE_C_COMPILER ${TOVRIN_MINGW_TRIPLET}-gcc-posix)
set(CMAKE_CXX_COMPILER ${TOVRIN_MINGW_TRIPLET}-g++-posix)
set(CMAKE_RC_COMPILER ${TOVRIN_MINGW_TRIPLET}-windres)

# The cross-built Qt lives outside the tree; TOVRIN_QT_MINGW_PREFIX (or the
# environment variable of that name) moves it.
if(NOT TOVRIN_QT_MINGW_PREFIX)
  if(DEFINED ENV{TOVRIN_QT_MINGW_PREFIX})
    set(TOVRIN_QT_MINGW_PREFIX $ENV{TOVRIN_QT_MINGW_PREFIX})
  else()
    set(TOVRIN_QT_MINGW_PREFIX /var/cache/tovrin/qt6-mingw)
  endif()
endif()
# Try-compiles run in their own projects and need the value again.
list(APPEND CMAKE_TRY_COMPILE_PLATFORM_VARIABLES TOVRIN_QT_MINGW_PREFIX)

set(CMAKE_FIND_ROOT_PATH /usr/${TOVRIN_MINGW_TRIPLET} ${TOVRIN_QT_MINGW_PREFIX})
# Programs run on this machine (Qt's host tools come from Debian's Qt in /usr);
# libraries, headers and packages come from the Windows side only.
set(CMAKE_FIND_ROOT_PATH_MODE_PROGRAM NEVER)
set(CMAKE_FIND_ROOT_PATH_MODE_LIBRARY ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_INCLUDE ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_PACKAGE ONLY)

# Qt's cross packages look their host tools up here.
if(NOT QT_HOST_PATH)
  set(QT_HOST_PATH /usr)
endif()
if(NOT QT_HOST_PATH_CMAKE_DIR)
  set(QT_HOST_PATH_CMAKE_DIR /usr/lib/x86_64-linux-gnu/cmake)
endif()
