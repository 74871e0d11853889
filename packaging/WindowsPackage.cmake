# SPDX-FileCopyrightText: The Vivrel developers
# SPDX-License-Identifier: GPL-3.0-or-later
#
# The Windows package: a zip holding Vivrel.exe with the Qt and MinGW runtime DLLs and
# the Qt plug-ins it loads, all in one folder (`cpack -G ZIP` in a Windows build). A
# cross build has no windeployqt, so what it needs is listed here: the DLLs the program
# and its network module import (objdump -p Vivrel.exe vivrel_network.dll; src/network/
# installs the module beside the program), the platform plug-ins (qwindows for the
# desktop, qoffscreen for runs without one), the image formats it reads (GIF, JPEG; ICO
# for the window icon), the native style and the TLS back end.

set(vivrel_qt_dlls Qt6Core Qt6Gui Qt6Widgets Qt6Network)
set(vivrel_qt_plugins platforms/qwindows platforms/qoffscreen imageformats/qgif
    imageformats/qjpeg imageformats/qico styles/qwindowsvistastyle tls/qschannelbackend)

get_target_property(vivrel_qt_core_dll Qt6::Core IMPORTED_LOCATION_RELEASE)
if(NOT vivrel_qt_core_dll)
  get_target_property(vivrel_qt_core_dll Qt6::Core IMPORTED_LOCATION)
endif()
get_filename_component(vivrel_qt_bin "${vivrel_qt_core_dll}" DIRECTORY)
get_filename_component(vivrel_qt_prefix "${vivrel_qt_bin}" DIRECTORY)

foreach(dll IN LISTS vivrel_qt_dlls)
  install(FILES "${vivrel_qt_bin}/${dll}.dll" DESTINATION ${CMAKE_INSTALL_BINDIR})
endforeach()
foreach(plugin IN LISTS vivrel_qt_plugins)
  get_filename_component(kind "${plugin}" DIRECTORY)
  install(FILES "${vivrel_qt_prefix}/plugins/${plugin}.dll"
          DESTINATION ${CMAKE_INSTALL_BINDIR}/${kind})
endforeach()

# The compiler's runtime: found where the toolchain says, or beside the compiler.
set(vivrel_runtime_dlls libstdc++-6.dll libgcc_s_seh-1.dll libwinpthread-1.dll)
foreach(dll IN LISTS vivrel_runtime_dlls)
  get_filename_component(compiler_dir "${CMAKE_CXX_COMPILER}" DIRECTORY)
  find_file(vivrel_dll_${dll} ${dll} PATHS ${MINGW_RUNTIME_DLL_DIRS} "${compiler_dir}"
            NO_DEFAULT_PATH NO_CMAKE_FIND_ROOT_PATH)
  if(NOT vivrel_dll_${dll})
    message(FATAL_ERROR "The package needs ${dll}, which is not found")
  endif()
  install(FILES "${vivrel_dll_${dll}}" DESTINATION ${CMAKE_INSTALL_BINDIR})
endforeach()

set(CPACK_GENERATOR ZIP)
set(CPACK_PACKAGE_NAME Vivrel)
set(CPACK_PACKAGE_VENDOR Tremallo)
set(CPACK_SYSTEM_NAME win64)
set(CPACK_STRIP_FILES ON)
set(CPACK_INCLUDE_TOPLEVEL_DIRECTORY ON)
include(CPack)

if(VIVREL_BUILD_TESTS AND CMAKE_CROSSCOMPILING_EMULATOR)
  # Makes the zip, unpacks it into a folder of its own and runs the program from there
  # under Wine: its version, then a show of a folder of pictures.
  add_test(NAME windows_package
    COMMAND sh ${CMAKE_CURRENT_SOURCE_DIR}/check-windows-zip.sh ${PROJECT_BINARY_DIR}
            ${CMAKE_CURRENT_BINARY_DIR}/zip-test ${PROJECT_VERSION} ${PROJECT_BINARY_DIR}/wineprefix)
  set_tests_properties(windows_package PROPERTIES
    LABELS "windows;package" FIXTURES_REQUIRED wine_prefix TIMEOUT 600)
endif()
