# hostseal.dll, the C interface for Windows programs (MinGW-w64 cross-build):
#   hostseal_windows_dll(TARGET)   called in the folder that defines the shared library TARGET
#
# - The DLL is hostseal.dll, linked statically against libstdc++, libgcc and winpthread like the
#   programs, so that it needs no DLL beyond Windows' own.
# - It exports only the functions declared with HOSTSEAL_API (dllexport): MinGW's linker
#   exports every global symbol only when no object asks for an export, and the static
#   runtime libraries ask for none (tests/package/windows_exports_test.sh checks it).
# - The functions are __stdcall and exported under their plain names (--kill-at), on x86 as on
#   x64, as the Windows API is: VB's Declare, .NET's DllImport and Delphi's stdcall find them
#   by the name a caller writes. A C caller that includes hostseal.h on x86 refers to the
#   decorated name (_hostseal_version@8); the import libraries map each decorated name to the
#   plain export. The linker's own import library cannot (with --kill-at it holds only the
#   plain names), so both are made afresh from the export list after each link:
#     libhostseal.dll.a  for MinGW (binutils' dlltool -k)
#     hostseal.lib       for Microsoft's link.exe and lld-link (llvm-dlltool -k), in the short
#                        import format that Microsoft's own lib.exe writes from a .def file
include_guard(GLOBAL)

find_program(HOSTSEAL_LLVM_DLLTOOL NAMES llvm-dlltool llvm-dlltool-14
             DOC "llvm-dlltool, which writes hostseal.lib for Microsoft's linker")
if(NOT HOSTSEAL_LLVM_DLLTOOL)
  message(FATAL_ERROR "hostseal.lib for Microsoft's linker needs llvm-dlltool (Debian package "
                      "llvm); run scripts/install-deps.sh")
endif()
if(NOT CMAKE_DLLTOOL)
  message(FATAL_ERROR "the MinGW import library needs dlltool (binutils-mingw-w64)")
endif()

function(hostseal_windows_dll target)
  if(CMAKE_SIZEOF_VOID_P EQUAL 8)
    set(machine i386:x86-64)
  else()
    set(machine i386)
  endif()
  # The import libraries in the build's lib folder, the DLL with the programs.
  set(lib ${PROJECT_BINARY_DIR}/lib)
  set_target_properties(${target} PROPERTIES PREFIX "" IMPORT_PREFIX lib IMPORT_SUFFIX .dll.a
                        ARCHIVE_OUTPUT_DIRECTORY ${lib})
  # The linker writes the export list; on x86 each plain name is there with its decorated
  # one ("hostseal_version = hostseal_version@8").
  set(linker_def ${CMAKE_CURRENT_BINARY_DIR}/${target}.linker.def)
  target_link_options(${target} PRIVATE -static LINKER:--kill-at LINKER:--output-def,${linker_def})
  add_custom_command(TARGET ${target} POST_BUILD
    COMMAND ${CMAKE_COMMAND} -DLINKER_DEF=${linker_def}
            -DDEF=${lib}/hostseal.def
            -DDLL=$<TARGET_FILE_NAME:${target}>
            -DMACHINE=${machine}
            -DDLLTOOL=${CMAKE_DLLTOOL}
            -DLLVM_DLLTOOL=${HOSTSEAL_LLVM_DLLTOOL}
            -DMINGW_IMPORT_LIBRARY=$<TARGET_LINKER_FILE:${target}>
            -DMSVC_IMPORT_LIBRARY=${lib}/hostseal.lib
            -P ${PROJECT_SOURCE_DIR}/cmake/HostsealImportLibraries.cmake
    BYPRODUCTS ${lib}/hostseal.lib
               ${lib}/hostseal.def
    VERBATIM)

  # The optional "files for developers" of the zip and the installer: the DLL beside the
  # programs, the C header, and the two import libraries.
  install(TARGETS ${target}
    RUNTIME DESTINATION . COMPONENT developer
    ARCHIVE DESTINATION lib COMPONENT developer)
  install(FILES ${lib}/hostseal.lib DESTINATION lib
          COMPONENT developer)
  install(FILES ${PROJECT_SOURCE_DIR}/include/hostseal/hostseal.h DESTINATION include/hostseal
          COMPONENT developer)
endfunction()
