# The Windows installer, made by `cpack -G NSIS` on Debian (package nsis): the two programs,
# the README and the licence under Program Files, a Start-menu entry for the window, and an
# uninstaller listed in Apps & features. Included by HostsealPackaging.cmake for Windows builds
# only, before include(CPack).
#
# NSIS makes 32-bit installers unless told otherwise; the x64 installer is a 64-bit program
# (the amd64-unicode stubs) so that it installs into the 64-bit Program Files and registry and
# runs where only the 64-bit loader does. Both installers are Unicode, so that names outside
# the ANSI code page survive.
find_program(HOSTSEAL_MAKENSIS makensis)
if(NOT HOSTSEAL_MAKENSIS)
  return()
endif()
list(APPEND CPACK_GENERATOR NSIS)

set(CPACK_PACKAGE_INSTALL_DIRECTORY hostseal)
set(CPACK_PACKAGE_INSTALL_REGISTRY_KEY hostseal)
set(CPACK_NSIS_PACKAGE_NAME "hostseal ${PROJECT_VERSION}")
set(CPACK_NSIS_DISPLAY_NAME "hostseal ${PROJECT_VERSION}")
set(CPACK_RESOURCE_FILE_LICENSE ${PROJECT_SOURCE_DIR}/LICENSE)
# The programs are at the top of the installation, as in the zip.
set(CPACK_NSIS_EXECUTABLES_DIRECTORY .)
set(CPACK_PACKAGE_EXECUTABLES hostseal-gui hostseal)  # the Start-menu entry: the window
set(CPACK_NSIS_INSTALLED_ICON_NAME hostseal-gui.exe)
set(CPACK_NSIS_ENABLE_UNINSTALL_BEFORE_INSTALL ON)
if(CMAKE_SIZEOF_VOID_P EQUAL 8)
  set(CPACK_NSIS_INSTALL_ROOT "$PROGRAMFILES64")
  set(CPACK_NSIS_DEFINES "Unicode true\nTarget amd64-unicode")
else()
  set(CPACK_NSIS_INSTALL_ROOT "$PROGRAMFILES")
  set(CPACK_NSIS_DEFINES "Unicode true")
endif()
