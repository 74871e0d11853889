# SPDX-FileCopyrightText: The Vivrel developers
# SPDX-License-Identifier: GPL-3.0-or-later
#
# Toolchain file of the `windows` preset: 64-bit Windows programs cross-compiled with
# MinGW-w64 on Debian, against a Qt for MinGW, and run through Wine by CTest.
#
# Where things come from (environment variables, each optional):
#   VIVREL_MINGW_TOOLCHAINS  the folder holding mingw-w64.cmake, wine-run.sh and
#                            qt-6.4.2-mingw-w64.tar.xz [<source>/../shared/toolchains]
#   QT_MINGW_PREFIX          a Qt for MinGW of one's own (its install prefix); without it
#                            the tarball is unpacked once into <build>/qt-mingw/.
# Read again for every try_compile, so what it works out is kept in the environment.

if(NOT DEFINED ENV{_VIVREL_QT_MINGW_PREFIX})
  if(DEFINED ENV{VIVREL_MINGW_TOOLCHAINS})
    set(_vivrel_tools "$ENV{VIVREL_MINGW_TOOLCHAINS}")
  else()
    get_filename_component(_vivrel_tools "${CMAKE_CURRENT_LIST_DIR}/../../shared/toolchains"
                           ABSOLUTE)
  endif()
  if(NOT EXISTS "${_vivrel_tools}/mingw-w64.cmake")
    message(FATAL_ERROR "No MinGW toolchain in ${_vivrel_tools}: set VIVREL_MINGW_TOOLCHAINS "
                        "to the folder holding mingw-w64.cmake")
  endif()

  if(DEFINED ENV{QT_MINGW_PREFIX} AND NOT "$ENV{QT_MINGW_PREFIX}" STREQUAL "")
    set(_vivrel_qt "$ENV{QT_MINGW_PREFIX}")
  else()
    set(_vivrel_qt "${CMAKE_BINARY_DIR}/qt-mingw/prefix")
    set(_vivrel_tarball "${_vivrel_tools}/qt-6.4.2-mingw-w64.tar.xz")
    if(NOT EXISTS "${_vivrel_qt}/lib/cmake/Qt6/Qt6Config.cmake")
      if(NOT EXISTS "${_vivrel_tarball}")
        message(FATAL_ERROR "Neither QT_MINGW_PREFIX nor ${_vivrel_tarball}")
      endif()
      message(STATUS "Unpacking ${_vivrel_tarball} into ${CMAKE_BINARY_DIR}/qt-mingw")
      file(MAKE_DIRECTORY "${CMAKE_BINARY_DIR}/qt-mingw")
      file(ARCHIVE_EXTRACT INPUT "${_vivrel_tarball}" DESTINATION "${CMAKE_BINARY_DIR}/qt-mingw")
    endif()
  endif()
  if(NOT EXISTS "${_vivrel_qt}/lib/cmake/Qt6/Qt6Config.cmake")
    message(FATAL_ERROR "${_vivrel_qt} holds no Qt 6 (lib/cmake/Qt6/Qt6Config.cmake)")
  endif()
  set(ENV{_VIVREL_QT_MINGW_PREFIX} "${_vivrel_qt}")
  set(ENV{_VIVREL_MINGW_TOOLCHAINS} "${_vivrel_tools}")
endif()

set(VIVREL_QT_MINGW_PREFIX "$ENV{_VIVREL_QT_MINGW_PREFIX}")
set(VIVREL_MINGW_TOOLCHAINS "$ENV{_VIVREL_MINGW_TOOLCHAINS}")
list(PREPEND CMAKE_PREFIX_PATH "${VIVREL_QT_MINGW_PREFIX}")
list(REMOVE_DUPLICATES CMAKE_PREFIX_PATH)
# moc, rcc and uic are the build machine's Qt of the same version.
set(QT_HOST_PATH /usr)
set(QT_HOST_PATH_CMAKE_DIR /usr/lib/x86_64-linux-gnu/cmake)

include("${VIVREL_MINGW_TOOLCHAINS}/mingw-w64.cmake")

# Test programs run under Wine in a prefix of the build's own, with Qt's DLLs and plug-ins
# found in the Qt prefix (wine-run.sh). Wine's own Unix side (its menus, the trash the
# recycle bin leads to) keeps to a home in the build tree too, never the user's.
if(CMAKE_CROSSCOMPILING_EMULATOR MATCHES "wine-run\\.sh$")
  set(VIVREL_WINE_HOME "${CMAKE_BINARY_DIR}/wine-home")
  set(CMAKE_CROSSCOMPILING_EMULATOR /usr/bin/env "QT_MINGW_PREFIX=${VIVREL_QT_MINGW_PREFIX}"
      "WINEPREFIX=${CMAKE_BINARY_DIR}/wineprefix" "HOME=${VIVREL_WINE_HOME}"
      "XDG_DATA_HOME=${VIVREL_WINE_HOME}/.local/share"
      "XDG_CONFIG_HOME=${VIVREL_WINE_HOME}/.config" "WINEDLLOVERRIDES=winemenubuilder.exe=d"
      "${CMAKE_CROSSCOMPILING_EMULATOR}")
endif()
