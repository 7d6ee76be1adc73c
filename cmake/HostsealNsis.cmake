# The Windows installer, made by `cpack -G NSIS` on Debian (package nsis): the two programs,
# the README and the licence under Program Files, a Start-menu entry for the window, and an
# uninstaller listed in Apps & features; the files for developers as a part to choose. Included by HostsealPackaging.cmake for Windows builds
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
# Two parts: the programs, always, and the files for developers, offered but not chosen: the
# programs need no DLL, and most who install them write no program of their own. An
# installer run silently (/S) installs the programs only, unless the developer part was
# installed before (CPack's installer remembers the choice under the Uninstall key).
set(CPACK_COMPONENT_PROGRAMS_DISPLAY_NAME "hostseal and hostseal-gui")
set(CPACK_COMPONENT_PROGRAMS_DESCRIPTION "The command-line tool, the window, the README and the licence")
set(CPACK_COMPONENT_PROGRAMS_REQUIRED ON)
set(CPACK_COMPONENT_DEVELOPER_DISPLAY_NAME "Files for developers")
set(CPACK_COMPONENT_DEVELOPER_DESCRIPTION
    "hostseal.dll, the C header hostseal.h and the import libraries for MinGW (libhostseal.dll.a) and Microsoft's linker (hostseal.lib): for programs in C, C#, Delphi or VB that call hostseal")
set(CPACK_COMPONENT_DEVELOPER_DISABLED ON)
if(CMAKE_SIZEOF_VOID_P EQUAL 8)
  set(CPACK_NSIS_INSTALL_ROOT "$PROGRAMFILES64")
  set(CPACK_NSIS_DEFINES "Unicode true\nTarget amd64-unicode")
  # ... and before the script's first line too: CPack's script names $PROGRAMFILES64 in its
  # InstallDir before CPACK_NSIS_DEFINES, and makensis encodes that name for the target it has
  # at that line (32-bit by default), so the 64-bit installer read it as the 32-bit Program
  # Files on a Windows that has both. (CPack splits the command at spaces unless a backslash
  # escapes one, and writes the backslash into CPackConfig.cmake as it is: hence four.)
  set(CPACK_NSIS_EXECUTABLE_PRE_ARGUMENTS "-XTarget\\\\ amd64-unicode")
  # Its registry entries go to the 64-bit view, where Windows looks for a 64-bit program's.
  set(_hs_nsis_view "SetRegView 64\n")
else()
  set(CPACK_NSIS_INSTALL_ROOT "$PROGRAMFILES")
  set(CPACK_NSIS_DEFINES "Unicode true")
  set(_hs_nsis_view "")
endif()
set(CPACK_NSIS_EXTRA_PREINSTALL_COMMANDS "${_hs_nsis_view}")
# CPack's uninstaller removes the key under the vendor's but not the vendor's own, which only
# hostseal put there: both go, the vendor's only if nothing else is under it.
# (CPack writes these values into CPackConfig.cmake as they are, so each backslash is doubled
# here for that file.)
set(_hs_vendor_key "Software\\\\${CPACK_PACKAGE_VENDOR}")
set(CPACK_NSIS_EXTRA_UNINSTALL_COMMANDS
    "${_hs_nsis_view}DeleteRegKey SHCTX '${_hs_vendor_key}\\\\${CPACK_PACKAGE_INSTALL_REGISTRY_KEY}'
DeleteRegKey /ifempty SHCTX '${_hs_vendor_key}'")
