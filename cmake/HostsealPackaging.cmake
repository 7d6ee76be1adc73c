# `cpack -G DEB` in a Linux build folder: one .deb with the tool, the window, the library, its
# headers and packages, the manual pages and the desktop entry, installed under /usr. Its
# dependencies come from dpkg-shlibdeps (the shared libraries the programs link).
#
# `cpack -G ZIP` in a Windows build folder: hostseal-VERSION-win64.zip (win32 for x86) with the
# programs, the README and the licence in one folder, for a user to unpack and run; the
# programs are static and need no DLL beyond Windows' own. `cpack -G NSIS` makes
# hostseal-VERSION-win64.exe (win32), an installer (HostsealNsis.cmake).
set(CPACK_PACKAGE_NAME hostseal)
set(CPACK_PACKAGE_VENDOR "hostseal developers")
set(CPACK_PACKAGE_CONTACT "hostseal developers <hostseal@localhost>")
set(CPACK_PACKAGE_DESCRIPTION_SUMMARY "${PROJECT_DESCRIPTION}")
set(CPACK_PACKAGE_DESCRIPTION
    "hostseal reads and writes a fixed family of AES formats (byte arrays, cipher files and\n\
hexadecimal text) and identifies a host by its name, IPv4 address, MAC address and processor\n\
identifiers: a command-line tool, a Qt window and a C++20 library.")
set(CPACK_STRIP_FILES ON)

if(CMAKE_SYSTEM_NAME STREQUAL "Windows")
  if(CMAKE_SIZEOF_VOID_P EQUAL 8)
    set(CPACK_PACKAGE_FILE_NAME hostseal-${PROJECT_VERSION}-win64)
  else()
    set(CPACK_PACKAGE_FILE_NAME hostseal-${PROJECT_VERSION}-win32)
  endif()
  install(FILES README.md DESTINATION . COMPONENT programs)
  install(FILES LICENSE DESTINATION . RENAME LICENSE.txt COMPONENT programs)
  set(CPACK_GENERATOR ZIP)
  include(${CMAKE_CURRENT_LIST_DIR}/HostsealNsis.cmake)  # the installer, where makensis is
  # Only what a user runs: not the library, its headers and its CMake package.
  set(CPACK_INSTALL_CMAKE_PROJECTS "${PROJECT_BINARY_DIR};hostseal;programs;/")
  include(CPack)
  return()
endif()

set(CPACK_GENERATOR DEB)
set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)
set(CPACK_DEBIAN_PACKAGE_SECTION utils)
set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS ON)
set(CPACK_DEBIAN_PACKAGE_HOMEPAGE "https://localhost/hostseal")
set(CPACK_PACKAGING_INSTALL_PREFIX /usr)
include(CPack)
