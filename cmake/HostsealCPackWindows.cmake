# Read by cpack for each generator of a Windows build (CPACK_PROJECT_CONFIG_FILE): the zip's
# files in one folder named as the zip, the installer's at the top of its installation folder.
if(CPACK_GENERATOR STREQUAL "ZIP")
  set(CPACK_COMPONENT_INCLUDE_TOPLEVEL_DIRECTORY ON)
endif()
