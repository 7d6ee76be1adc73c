# `cpack -G DEB` in a Linux build folder: the Debian packages from the one run, each with
# its copyright file (machine-readable) and changelog, installed under /usr:
#   hostseal          the command line, its manual page and bash completion (no Qt)
#   hostseal-gui      the window, its manual page, desktop entry and icon (Qt 6)
#   libhostseal-dev   headers, the static library, the CMake package and hostseal.pc; with
#                     the C interface also the .so link and hostseal-c.pc
#   libhostseal0      the shared library with the C interface (HostsealDebianLibrary.cmake)
#   python3-hostseal  the Python module over it
# Their dependencies come from dpkg-shlibdeps (the shared libraries each package's programs
# link). The maintainer and home page are configure settings: HOSTSEAL_MAINTAINER and
# HOSTSEAL_HOMEPAGE.
#
# `cpack -G ZIP` in a Windows build folder: hostseal-VERSION-win64.zip (win32 for x86) with the
# programs, the README and the licence in one folder, for a user to unpack and run; the
# programs are static and need no DLL beyond Windows' own. Beside them, for developers:
# hostseal.dll, include\hostseal\hostseal.h, lib\libhostseal.dll.a and lib\hostseal.lib. `cpack -G NSIS` makes
# hostseal-VERSION-win64.exe (win32), an installer (HostsealNsis.cmake).
set(CPACK_PACKAGE_NAME hostseal)
set(CPACK_PACKAGE_VENDOR "hostseal developers")
set(CPACK_PACKAGE_DESCRIPTION
    "hostseal reads and writes a fixed family of AES formats (byte arrays, cipher files and\n\
hexadecimal text) and identifies a host by its name, IPv4 address, MAC address and processor\n\
identifiers: a command-line tool, a Qt window and a C++20 library.")
set(CPACK_STRIP_FILES ON)

if(CMAKE_SYSTEM_NAME STREQUAL "Windows")
  set(CPACK_PACKAGE_DESCRIPTION_SUMMARY "${PROJECT_DESCRIPTION}")
  if(CMAKE_SIZEOF_VOID_P EQUAL 8)
    set(CPACK_PACKAGE_FILE_NAME hostseal-${PROJECT_VERSION}-win64)
  else()
    set(CPACK_PACKAGE_FILE_NAME hostseal-${PROJECT_VERSION}-win32)
  endif()
  install(FILES README.md DESTINATION . COMPONENT programs)
  install(FILES LICENSE DESTINATION . RENAME LICENSE.txt COMPONENT programs)
  set(CPACK_GENERATOR ZIP)
  # What a user runs, and the optional files for developers of programs in C, C#, Delphi or VB
  # (hostseal.dll, hostseal.h and the import libraries): not the C++ library, its headers and
  # its CMake package. The zip holds both parts in its one folder; the installer offers the
  # second as a choice, not chosen unless asked for (HostsealNsis.cmake).
  set(CPACK_COMPONENTS_ALL programs)
  if(TARGET hostseal_c)
    list(APPEND CPACK_COMPONENTS_ALL developer)
  endif()
  set(CPACK_ARCHIVE_COMPONENT_INSTALL ON)
  set(CPACK_COMPONENTS_GROUPING ALL_COMPONENTS_IN_ONE)
  # The zip's files in one folder, hostseal-VERSION-win64\; the installer's at the top of its
  # installation folder.
  set(CPACK_PROJECT_CONFIG_FILE ${CMAKE_CURRENT_LIST_DIR}/HostsealCPackWindows.cmake)
  include(${CMAKE_CURRENT_LIST_DIR}/HostsealNsis.cmake)  # the installer, where makensis is
  include(CPack)
  return()
endif()

# Whoever makes the packages maintains them: by default the name and address Debian's own
# tools take (DEBFULLNAME, DEBEMAIL), else an address under .invalid that says it was not set.
set(_hs_maintainer "hostseal developers <maintainer@hostseal.invalid>")
if(DEFINED ENV{DEBEMAIL} AND NOT "$ENV{DEBEMAIL}" STREQUAL "")
  set(_hs_name "$ENV{DEBFULLNAME}")
  if(_hs_name STREQUAL "")
    set(_hs_name "hostseal developers")
  endif()
  set(_hs_maintainer "${_hs_name} <$ENV{DEBEMAIL}>")
endif()
set(HOSTSEAL_MAINTAINER "${_hs_maintainer}" CACHE STRING
    "Maintainer of the Debian packages, as Name <address>")
set(HOSTSEAL_HOMEPAGE "" CACHE STRING "Home page of the Debian packages; empty: no Homepage field")
if(NOT HOSTSEAL_MAINTAINER MATCHES "^[^<>]+ <[^<>@ ]+@[^<>@ ]+\\.[^<>@ ]+>$")
  message(FATAL_ERROR "HOSTSEAL_MAINTAINER must read Name <user@host.domain>, got '${HOSTSEAL_MAINTAINER}'")
endif()

set(CPACK_GENERATOR DEB)
# Each package's description begins with its own synopsis. CPack puts the project's summary
# before a description unless the summary is CPack's default text, so it is that here.
set(CPACK_PACKAGE_DESCRIPTION_SUMMARY "${CMAKE_PROJECT_NAME} built using CMake")
set(CPACK_PACKAGE_CONTACT "${HOSTSEAL_MAINTAINER}")
set(CPACK_DEB_COMPONENT_INSTALL ON)
set(CPACK_COMPONENTS_ALL dev)
if(HOSTSEAL_BUILD_TOOLS)
  list(APPEND CPACK_COMPONENTS_ALL tool)
endif()
if(HOSTSEAL_BUILD_GUI)
  list(APPEND CPACK_COMPONENTS_ALL gui)
endif()
# The shared library with the C interface, and the Python module over it, where the build
# installs them (the global property lists the components of every install rule so far), in
# the builds whose library is the one a user gets (not an instrumented one), with dpkg-dev's
# tools for its control files.
get_cmake_property(_hs_install_components COMPONENTS)
find_program(HOSTSEAL_DPKG_GENSYMBOLS dpkg-gensymbols)
find_program(HOSTSEAL_DPKG_SHLIBDEPS dpkg-shlibdeps)
if(TARGET hostseal_c AND "runtime" IN_LIST _hs_install_components
   AND NOT (HOSTSEAL_SANITIZE OR HOSTSEAL_FUZZ OR HOSTSEAL_COVERAGE)
   AND HOSTSEAL_DPKG_GENSYMBOLS AND HOSTSEAL_DPKG_SHLIBDEPS)
  list(APPEND CPACK_COMPONENTS_ALL runtime)
  if("python" IN_LIST _hs_install_components)
    list(APPEND CPACK_COMPONENTS_ALL python)
  endif()
endif()
set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)
set(CPACK_DEBIAN_PACKAGE_RELEASE 1)  # 0.1.0-1: the first Debian revision of 0.1.0
set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS ON)
set(CPACK_DEBIAN_PACKAGE_PRIORITY optional)
if(HOSTSEAL_HOMEPAGE)
  set(CPACK_DEBIAN_PACKAGE_HOMEPAGE "${HOSTSEAL_HOMEPAGE}")
endif()
set(CPACK_PACKAGING_INSTALL_PREFIX /usr)

set(CPACK_DEBIAN_PACKAGE_SOURCE hostseal)
set(CPACK_DEBIAN_TOOL_PACKAGE_NAME hostseal)
set(CPACK_DEBIAN_TOOL_PACKAGE_SECTION utils)
set(CPACK_DEBIAN_TOOL_DESCRIPTION "AES file and text encryption and host identity on the command line
hostseal encrypts files and text in a fixed family of AES formats (FIPS-197,
128, 192 and 256-bit keys): cipher files with a length field, and text as
hexadecimal cipher text. It makes keys from the system's random source, and
identifies a host by its name, IPv4 address, MAC address and processor.
.
This package holds the command-line tool, its manual page and its bash
completion. The window is in hostseal-gui, the C++ library in libhostseal-dev.")

set(CPACK_DEBIAN_GUI_PACKAGE_NAME hostseal-gui)
set(CPACK_DEBIAN_GUI_PACKAGE_SECTION utils)
set(CPACK_DEBIAN_GUI_DESCRIPTION "AES file and text encryption and host identity in a Qt window
hostseal-gui shows a host's identity (name, IPv4 address, MAC address and
processor) as coloured status lines, and encrypts text and files in the same
fixed AES formats as the command-line tool hostseal.
.
This package holds the Qt 6 window, its manual page, desktop entry and icon.")

set(CPACK_DEBIAN_DEV_PACKAGE_NAME libhostseal-dev)
set(CPACK_DEBIAN_DEV_PACKAGE_SECTION libdevel)
set(CPACK_DEBIAN_DEV_DESCRIPTION "C++20 library for fixed AES formats and host identity queries
libhostseal reads and writes a fixed family of AES formats (byte arrays, cipher
files and hexadecimal text), identifies a host by its name, IPv4 address, MAC
address and processor, and keeps a coloured status log.
.
This package holds the headers, the static library, the CMake package
(find_package(hostseal), target hostseal::hostseal) and the pkg-config file.")

if(runtime IN_LIST CPACK_COMPONENTS_ALL)
  include(${CMAKE_CURRENT_LIST_DIR}/HostsealDebianLibrary.cmake)
  # The C interface's header and the link to the shared library are in this package too.
  set(CPACK_DEBIAN_DEV_PACKAGE_DEPENDS "${HOSTSEAL_RUNTIME_PACKAGE} (= ${PROJECT_VERSION}-${CPACK_DEBIAN_PACKAGE_RELEASE})")
  string(APPEND CPACK_DEBIAN_DEV_DESCRIPTION "
.
For C and the languages that call C, it holds the C interface hostseal.h,
the link libhostseal.so to the shared library in ${HOSTSEAL_RUNTIME_PACKAGE} and the
pkg-config file hostseal-c.pc.")
endif()

if(python IN_LIST CPACK_COMPONENTS_ALL)
  # The module is Python source, the same on every architecture: Architecture all, as
  # Debian's other ctypes modules (python3-magic over libmagic1). The native code is the
  # library of python3's own architecture, which the dependency brings in; its ABI check and
  # symbols file keep every later ${HOSTSEAL_RUNTIME_PACKAGE} offering what this version calls.
  set(CPACK_DEBIAN_PYTHON_PACKAGE_NAME python3-hostseal)
  set(CPACK_DEBIAN_PYTHON_PACKAGE_SECTION python)
  set(CPACK_DEBIAN_PYTHON_PACKAGE_ARCHITECTURE all)
  set(CPACK_DEBIAN_PYTHON_PACKAGE_SHLIBDEPS OFF)
  set(CPACK_DEBIAN_PYTHON_PACKAGE_DEPENDS
      "python3:any, ${HOSTSEAL_RUNTIME_PACKAGE} (>= ${PROJECT_VERSION})")
  # Python writes byte code beside the module when root imports it; that is in no package's
  # file list, and the prerm removes it so that removing the package leaves nothing behind.
  set(CPACK_DEBIAN_PYTHON_PACKAGE_CONTROL_EXTRA ${PROJECT_SOURCE_DIR}/cmake/debian/python3-hostseal/prerm)
  set(CPACK_DEBIAN_PYTHON_PACKAGE_CONTROL_STRICT_PERMISSION TRUE)
  set(CPACK_DEBIAN_PYTHON_DESCRIPTION "Python 3 module for fixed AES formats and host identity queries
The module hostseal calls the C interface of libhostseal through ctypes: the
fixed family of AES formats (byte arrays, cipher files and hexadecimal text),
the code-page helpers and the host identity queries (name, IPv4 address, MAC
address and processor).")
endif()

# What Debian asks of every package beside its files: /usr/share/doc/PACKAGE/copyright in the
# machine-readable format, and changelog.Debian.gz, compressed as dpkg-dev's tools do.
# The licence text as a copyright file's paragraph: indented by one space, "." for empty lines.
file(READ ${PROJECT_SOURCE_DIR}/LICENSE _hs_license)
string(REGEX MATCH "Copyright \\(c\\) ([^\n]*)" _hs_notice "${_hs_license}")
set(HOSTSEAL_COPYRIGHT "${CMAKE_MATCH_1}")
string(REGEX REPLACE "^.*Copyright [^\n]*\n\n" "" _hs_license "${_hs_license}")
string(STRIP "${_hs_license}" _hs_license)
string(REPLACE "\n\n" "\n.\n" _hs_license "${_hs_license}")
string(REPLACE "\n" "\n " HOSTSEAL_LICENSE_TEXT " ${_hs_license}")
configure_file(${PROJECT_SOURCE_DIR}/cmake/debian/copyright.in ${PROJECT_BINARY_DIR}/debian/copyright
  @ONLY)
configure_file(${PROJECT_SOURCE_DIR}/cmake/debian/changelog.in ${PROJECT_BINARY_DIR}/debian/changelog
  @ONLY)
add_custom_command(OUTPUT ${PROJECT_BINARY_DIR}/debian/changelog.Debian.gz
  COMMAND gzip -9nc ${PROJECT_BINARY_DIR}/debian/changelog > ${PROJECT_BINARY_DIR}/debian/changelog.Debian.gz
  DEPENDS ${PROJECT_BINARY_DIR}/debian/changelog
  VERBATIM)
add_custom_target(hostseal_debian_changelog ALL DEPENDS ${PROJECT_BINARY_DIR}/debian/changelog.Debian.gz)
foreach(_hs_component IN LISTS CPACK_COMPONENTS_ALL)
  string(TOUPPER ${_hs_component} _hs_upper)
  set(_hs_package ${CPACK_DEBIAN_${_hs_upper}_PACKAGE_NAME})
  install(FILES ${PROJECT_BINARY_DIR}/debian/copyright ${PROJECT_BINARY_DIR}/debian/changelog.Debian.gz
    DESTINATION ${CMAKE_INSTALL_DATADIR}/doc/${_hs_package} COMPONENT ${_hs_component})
  # The overrides of every package, then those of this component (COMPONENT.lintian-overrides.in).
  file(READ ${PROJECT_SOURCE_DIR}/cmake/debian/lintian-overrides.in _hs_overrides)
  set(_hs_own_overrides ${PROJECT_SOURCE_DIR}/cmake/debian/${_hs_component}.lintian-overrides.in)
  if(EXISTS ${_hs_own_overrides})
    file(READ ${_hs_own_overrides} _hs_more_overrides)
    string(APPEND _hs_overrides "${_hs_more_overrides}")
  endif()
  file(CONFIGURE OUTPUT ${PROJECT_BINARY_DIR}/debian/${_hs_package}.lintian-overrides
    CONTENT "${_hs_overrides}" @ONLY)
  install(FILES ${PROJECT_BINARY_DIR}/debian/${_hs_package}.lintian-overrides
    DESTINATION ${CMAKE_INSTALL_DATADIR}/lintian/overrides RENAME ${_hs_package}
    COMPONENT ${_hs_component})
endforeach()

# CPack strips the programs; a static library keeps its symbols and loses only its debugging
# sections (26 MB of them in a release build).
install(CODE "if(CMAKE_INSTALL_DO_STRIP)
  execute_process(COMMAND \"${CMAKE_STRIP}\" --strip-debug
    \"\$ENV{DESTDIR}\${CMAKE_INSTALL_PREFIX}/${CMAKE_INSTALL_LIBDIR}/$<TARGET_FILE_NAME:hostseal>\"
    COMMAND_ERROR_IS_FATAL ANY)
endif()" COMPONENT dev)

include(CPack)
