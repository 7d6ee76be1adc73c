# `cpack -G DEB` in a build folder: one .deb with the tool, the window, the library, its headers
# and packages, the manual pages and the desktop entry, installed under /usr. Its dependencies
# come from dpkg-shlibdeps (the shared libraries the programs link).
set(CPACK_PACKAGE_NAME hostseal)
set(CPACK_PACKAGE_VENDOR "hostseal developers")
set(CPACK_PACKAGE_CONTACT "hostseal developers <hostseal@localhost>")
set(CPACK_PACKAGE_DESCRIPTION_SUMMARY "${PROJECT_DESCRIPTION}")
set(CPACK_PACKAGE_DESCRIPTION
    "hostseal reads and writes a fixed family of AES formats (byte arrays, cipher files and\n\
hexadecimal text) and identifies a host by its name, IPv4 address, MAC address and processor\n\
identifiers: a command-line tool, a Qt window and a C++20 library.")
set(CPACK_GENERATOR DEB)
set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)
set(CPACK_DEBIAN_PACKAGE_SECTION utils)
set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS ON)
set(CPACK_DEBIAN_PACKAGE_HOMEPAGE "https://localhost/hostseal")
set(CPACK_PACKAGING_INSTALL_PREFIX /usr)
set(CPACK_STRIP_FILES ON)
include(CPack)
