# Debian's build flags, as a Debian package build takes them: dpkg-buildflags with every
# hardening feature (DEB_BUILD_MAINT_OPTIONS=hardening=+all): the strong stack protector,
# _FORTIFY_SOURCE, format-string errors, position-independent executables, and a relocation
# table that is read-only after start (relro) and bound at start (bindnow). They go to every
# target of the project, after the build type's own flags; the installed library's users do
# not inherit them. The release preset (and so the programs preset the packages are made from)
# turns this on; the sanitizer, fuzz and coverage builds keep their own flags.
option(HOSTSEAL_DEBIAN_BUILDFLAGS
       "Compile and link with dpkg-buildflags' flags, every hardening feature on (Debian only)" OFF)
if(NOT HOSTSEAL_DEBIAN_BUILDFLAGS)
  return()
endif()
if(HOSTSEAL_SANITIZE OR HOSTSEAL_FUZZ OR HOSTSEAL_COVERAGE)
  message(FATAL_ERROR "HOSTSEAL_DEBIAN_BUILDFLAGS is for the programs a user installs; "
                      "leave it OFF with HOSTSEAL_SANITIZE, HOSTSEAL_FUZZ or HOSTSEAL_COVERAGE")
endif()
find_program(HOSTSEAL_DPKG_BUILDFLAGS dpkg-buildflags)
if(NOT HOSTSEAL_DPKG_BUILDFLAGS)
  message(FATAL_ERROR "HOSTSEAL_DEBIAN_BUILDFLAGS needs dpkg-buildflags (the package dpkg-dev; "
                      "scripts/install-deps.sh installs it)")
endif()

# Run from the source folder, so that its path is mapped to "." in file names and debugging
# information (dpkg-buildflags' fixfilepath), as in a Debian package build.
foreach(_hs_kind CFLAGS CXXFLAGS CPPFLAGS LDFLAGS)
  execute_process(
    COMMAND ${CMAKE_COMMAND} -E env DEB_BUILD_MAINT_OPTIONS=hardening=+all
            ${HOSTSEAL_DPKG_BUILDFLAGS} --get ${_hs_kind}
    WORKING_DIRECTORY ${PROJECT_SOURCE_DIR}
    OUTPUT_VARIABLE _hs_flags OUTPUT_STRIP_TRAILING_WHITESPACE
    COMMAND_ERROR_IS_FATAL ANY)
  separate_arguments(_hs_${_hs_kind} UNIX_COMMAND "${_hs_flags}")
endforeach()
foreach(_hs_flag IN LISTS _hs_CPPFLAGS)
  add_compile_options($<$<COMPILE_LANGUAGE:C,CXX>:${_hs_flag}>)
endforeach()
foreach(_hs_flag IN LISTS _hs_CFLAGS)
  add_compile_options($<$<COMPILE_LANGUAGE:C>:${_hs_flag}>)
endforeach()
foreach(_hs_flag IN LISTS _hs_CXXFLAGS)
  add_compile_options($<$<COMPILE_LANGUAGE:CXX>:${_hs_flag}>)
endforeach()
add_link_options(${_hs_LDFLAGS})
message(STATUS "Debian build flags (hardening=+all): ${_hs_CPPFLAGS} | ${_hs_CXXFLAGS} | ${_hs_LDFLAGS}")
