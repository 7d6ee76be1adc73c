# Makes hostseal.dll's import libraries from the export list the linker wrote
# (HostsealWindowsDll.cmake runs it after each link):
#   cmake -DLINKER_DEF=F -DDEF=F -DDLL=NAME -DMACHINE=i386|i386:x86-64 -DDLLTOOL=P
#         -DLLVM_DLLTOOL=P -DMINGW_IMPORT_LIBRARY=F -DMSVC_IMPORT_LIBRARY=F -P HostsealImportLibraries.cmake
# With --kill-at the linker lists an x86 export as "name = name@N @ordinal": the plain name
# exported, the decorated one that callers refer to. The .def for the import libraries names
# the decorated one ("name@N @ordinal"), and both tools are told to strip the decoration from
# the name imported (-k), so that a caller's reference to _name@N imports "name". On x64
# nothing is decorated and the list is used as it is.
foreach(var LINKER_DEF DEF DLL MACHINE DLLTOOL LLVM_DLLTOOL MINGW_IMPORT_LIBRARY MSVC_IMPORT_LIBRARY)
  if(NOT DEFINED ${var})
    message(FATAL_ERROR "HostsealImportLibraries.cmake: ${var} is not set")
  endif()
endforeach()

file(STRINGS ${LINKER_DEF} lines)
set(def "LIBRARY ${DLL}\nEXPORTS\n")
set(count 0)
foreach(line IN LISTS lines)
  if(line MATCHES "^[ \t]*EXPORTS[ \t]*$" OR line MATCHES "^[ \t]*(;.*)?$")
    continue()
  elseif(line MATCHES "^[ \t]+([A-Za-z_][A-Za-z_0-9]*) = ([A-Za-z_][A-Za-z_0-9]*)(@[0-9]+)( @[0-9]+)?[ \t]*$")
    if(NOT CMAKE_MATCH_1 STREQUAL CMAKE_MATCH_2)
      message(FATAL_ERROR "${LINKER_DEF}: an export under another name: '${line}'")
    endif()
    string(APPEND def "    ${CMAKE_MATCH_2}${CMAKE_MATCH_3}${CMAKE_MATCH_4}\n")
  elseif(line MATCHES "^[ \t]+([A-Za-z_][A-Za-z_0-9]*)( @[0-9]+)?[ \t]*$")
    string(APPEND def "    ${CMAKE_MATCH_1}${CMAKE_MATCH_2}\n")
  else()
    message(FATAL_ERROR "${LINKER_DEF}: an export line of an unknown form: '${line}'")
  endif()
  math(EXPR count "${count} + 1")
endforeach()
if(count EQUAL 0)
  message(FATAL_ERROR "${LINKER_DEF} lists no export")
endif()
file(WRITE ${DEF} "${def}")

execute_process(COMMAND ${DLLTOOL} -k -d ${DEF} -D ${DLL} -l ${MINGW_IMPORT_LIBRARY}
                COMMAND_ERROR_IS_FATAL ANY)
execute_process(COMMAND ${LLVM_DLLTOOL} -m ${MACHINE} -k -d ${DEF} -D ${DLL} -l ${MSVC_IMPORT_LIBRARY}
                COMMAND_ERROR_IS_FATAL ANY)
