# skelvane_plugin(target NAME "Menu name..." MODE ffc00000 SOURCES source...
#                 [RC extra.rc] [LIBRARIES lib...])
# Builds one filter module: a DLL named <target>.8bf exporting PluginMain by name with
# ordinal 1, carrying its property list (PIPL 16000, made at build time by the native
# MakePiPL tool from NAME and the supported-mode flags MODE) and the version resource, with the
# C++ runtime linked in. The library's sources supply DoStart and its dialog.

if(WIN32)
  enable_language(RC)
  set(SKELVANE_TOOLS_DIR "" CACHE PATH "Native build tree's tools directory (MakePiPL)")
endif()

function(skelvane_plugin target)
  cmake_parse_arguments(ARG "" "NAME;MODE;RC" "SOURCES;LIBRARIES" ${ARGN})
  if(NOT ARG_NAME OR NOT ARG_MODE OR NOT ARG_SOURCES)
    message(FATAL_ERROR "skelvane_plugin(${target}): NAME, MODE and SOURCES are required")
  endif()
  if(NOT SKELVANE_TOOLS_DIR)
    message(FATAL_ERROR "skelvane_plugin(${target}): set SKELVANE_TOOLS_DIR to the native "
                        "build tree's tools directory")
  endif()

  set(pipl ${CMAKE_CURRENT_BINARY_DIR}/${target}.pipl)
  set(makePiPL ${SKELVANE_TOOLS_DIR}/MakePiPL)
  add_custom_command(OUTPUT ${pipl}
    COMMAND ${makePiPL} ${pipl} "${ARG_NAME}" ${ARG_MODE}
    DEPENDS ${makePiPL}
    COMMENT "Property list of ${target}"
    VERBATIM)

  # The property list goes in as a binary file: byte strings inline in .rc text can be
  # mangled by code pages.
  set(rc ${CMAKE_CURRENT_BINARY_DIR}/${target}_resources.rc)
  file(WRITE ${rc}.in "\
LANGUAGE 9, 1
16000 PIPL \"${pipl}\"

1 VERSIONINFO
FILEVERSION 3,0,7,0
PRODUCTVERSION 3,0,7,0
FILEFLAGSMASK 0x3f
FILEFLAGS 0
FILEOS 0x40004
FILETYPE 2
FILESUBTYPE 0
BEGIN
  BLOCK \"StringFileInfo\"
  BEGIN
    BLOCK \"040904B0\"
    BEGIN
      VALUE \"CompanyName\", \"Vantrel\"
      VALUE \"FileDescription\", \"Skelvane 3.0 PS\"
      VALUE \"FileVersion\", \"3.0.7.0\"
      VALUE \"InternalName\", \"${target}\"
      VALUE \"OriginalFilename\", \"${target}.8bf\"
      VALUE \"ProductName\", \"Skelvane 3.0 PS\"
      VALUE \"ProductVersion\", \"3.0.7.0\"
    END
  END
  BLOCK \"VarFileInfo\"
  BEGIN
    VALUE \"Translation\", 0x409, 1200
  END
END
")
  configure_file(${rc}.in ${rc} COPYONLY)
  set_source_files_properties(${rc} PROPERTIES OBJECT_DEPENDS ${pipl})

  add_library(${target} SHARED ${ARG_SOURCES} ${ARG_RC} ${rc}
    ${SKELVANE_ROOT}/framework/PluginMain.def)
  set_target_properties(${target} PROPERTIES PREFIX "" SUFFIX ".8bf")
  target_include_directories(${target} PRIVATE ${SKELVANE_ROOT})
  # framework_ui_resources brings the framework's own resources (the about box's icon).
  target_link_libraries(${target} PRIVATE ${ARG_LIBRARIES} framework_entry framework_ui_resources)
  target_link_options(${target} PRIVATE -static)
  if(CMAKE_SYSTEM_PROCESSOR STREQUAL "i686")
    # Lets a 32-bit plug-in use the memory a large-address-aware host gives it.
    target_link_options(${target} PRIVATE -Wl,--large-address-aware)
  endif()
endfunction()
