# Read by cpack when it runs: the shared library's package depends on what dpkg-shlibdeps
# found for it at build time ("shlibs:Depends=libc6 (>= 2.34), ...").
if(CPACK_HOSTSEAL_RUNTIME_DEPENDS_FILE)
  file(STRINGS ${CPACK_HOSTSEAL_RUNTIME_DEPENDS_FILE} _hs_depends REGEX "^shlibs:Depends=")
  string(REGEX REPLACE "^shlibs:Depends=" "" _hs_depends "${_hs_depends}")
  if(_hs_depends STREQUAL "")
    message(FATAL_ERROR "${CPACK_HOSTSEAL_RUNTIME_DEPENDS_FILE} names no dependency: build first")
  endif()
  set(CPACK_DEBIAN_RUNTIME_PACKAGE_DEPENDS "${_hs_depends}")
endif()
