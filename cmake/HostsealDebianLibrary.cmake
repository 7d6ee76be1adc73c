# The Debian package of the shared library with the C interface, as Debian packages a shared
# library: named after its SONAME (libhostseal.so.0: libhostseal0), section libs, with the
# control files that other packages' dpkg-shlibdeps and the dynamic linker's cache rely on:
#   symbols   each exported function and the first version that has it (dpkg-gensymbols, from
#             the committed hostseal/c/abi/libhostseal0.symbols; a function added since gets
#             this version, and one that disappeared fails the build)
#   shlibs    the fallback for tools that read no symbols file
#   triggers  "activate-noawait ldconfig": dpkg refreshes the linker's cache once, after
#             the packages of one run are unpacked
# Included by HostsealPackaging.cmake when the build packages the target hostseal_c.
get_target_property(_hs_soversion hostseal_c SOVERSION)
set(HOSTSEAL_RUNTIME_PACKAGE libhostseal${_hs_soversion})
set(CPACK_DEBIAN_RUNTIME_PACKAGE_NAME ${HOSTSEAL_RUNTIME_PACKAGE})
set(CPACK_DEBIAN_RUNTIME_PACKAGE_SECTION libs)
set(CPACK_DEBIAN_RUNTIME_DESCRIPTION "C interface to fixed AES formats and host identity queries
libhostseal reads and writes a fixed family of AES formats (byte arrays, cipher
files and hexadecimal text), converts text to and from Windows code pages, and
identifies a host by its name, IPv4 address, MAC address and processor.
.
This package holds the shared library with the C interface, which C programs
and other languages (Python through ctypes, C#, Delphi) call. The header and
the link for the compiler are in libhostseal-dev.")

set(_hs_symbols_template ${PROJECT_SOURCE_DIR}/hostseal/c/abi/${HOSTSEAL_RUNTIME_PACKAGE}.symbols)
# Without the recorded file (a new SONAME), every function gets this version; package.abi
# fails until scripts/record_abi.sh has recorded the ABI and this file.
set(_hs_symbols_basis -I${_hs_symbols_template})
set(_hs_symbols_depends ${_hs_symbols_template})
if(NOT EXISTS ${_hs_symbols_template})
  message(WARNING "${_hs_symbols_template} is missing: record it with scripts/record_abi.sh")
  set(_hs_symbols_basis "")
  set(_hs_symbols_depends "")
endif()
set(_hs_control ${PROJECT_BINARY_DIR}/debian/${HOSTSEAL_RUNTIME_PACKAGE})
file(WRITE ${_hs_control}/triggers "activate-noawait ldconfig\n")
file(WRITE ${_hs_control}/shlibs
     "libhostseal ${_hs_soversion} ${HOSTSEAL_RUNTIME_PACKAGE} (>= ${PROJECT_VERSION})\n")
# dpkg-shlibdeps reads debian/control of the folder it runs in; an empty one will do.
file(WRITE ${_hs_control}/shlibdeps/debian/control "")
add_custom_command(
  OUTPUT ${_hs_control}/symbols ${_hs_control}/depends
  COMMAND ${HOSTSEAL_DPKG_GENSYMBOLS} -q -c1 -p${HOSTSEAL_RUNTIME_PACKAGE} -v${PROJECT_VERSION}
          ${_hs_symbols_basis} -e$<TARGET_FILE:hostseal_c> -O${_hs_control}/symbols
  COMMAND ${HOSTSEAL_DPKG_SHLIBDEPS} -O -e$<TARGET_FILE:hostseal_c> > ${_hs_control}/depends
  WORKING_DIRECTORY ${_hs_control}/shlibdeps
  DEPENDS hostseal_c ${_hs_symbols_depends}
  COMMENT "Debian control files of ${HOSTSEAL_RUNTIME_PACKAGE}"
  VERBATIM)
add_custom_target(hostseal_debian_library ALL DEPENDS ${_hs_control}/symbols ${_hs_control}/depends)

# CPack writes maintainer scripts that call ldconfig (lintian: maintscript-calls-ldconfig)
# whenever it runs dpkg-shlibdeps over a library; the trigger replaces them, and the library's
# own dependencies are those dpkg-shlibdeps found above, read when cpack runs.
set(CPACK_DEBIAN_RUNTIME_PACKAGE_SHLIBDEPS OFF)
set(CPACK_DEBIAN_RUNTIME_PACKAGE_CONTROL_EXTRA
    ${_hs_control}/symbols ${_hs_control}/shlibs ${_hs_control}/triggers)
set(CPACK_DEBIAN_RUNTIME_PACKAGE_CONTROL_STRICT_PERMISSION TRUE)
set(CPACK_HOSTSEAL_RUNTIME_DEPENDS_FILE ${_hs_control}/depends)
set(CPACK_PROJECT_CONFIG_FILE ${CMAKE_CURRENT_LIST_DIR}/debian/cpack_runtime_depends.cmake)
