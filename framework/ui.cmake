# The framework's user-interface units: dialog font, about box, image-size warning.
add_library(framework_ui STATIC
  ${CMAKE_CURRENT_LIST_DIR}/AboutForm.cpp
  ${CMAKE_CURRENT_LIST_DIR}/Vista.cpp
  ${CMAKE_CURRENT_LIST_DIR}/helper.cpp
)
target_include_directories(framework_ui PUBLIC ${SKELVANE_ROOT})
target_link_libraries(framework_ui PUBLIC platform_win)

# The framework's resources (the about box's icon). Static libraries cannot carry resources,
# so a module that shows the about box compiles this script itself: the plug-in libraries do
# so through skelvane_plugin, other executables by linking this target.
enable_language(RC)
add_library(framework_ui_resources INTERFACE)
target_sources(framework_ui_resources INTERFACE ${CMAKE_CURRENT_LIST_DIR}/res/Framework.rc)
target_include_directories(framework_ui_resources INTERFACE ${SKELVANE_ROOT})
# The filter dialogs' about glyph, compiled into every module that contains one of the
# dialogs (those with spin edits link framework_kelspin_resources as well).
add_library(framework_dialog_resources INTERFACE)
target_sources(framework_dialog_resources INTERFACE
  ${CMAKE_CURRENT_LIST_DIR}/res/DialogGlyphs.rc)
target_include_directories(framework_dialog_resources INTERFACE ${SKELVANE_ROOT})

include(${CMAKE_CURRENT_LIST_DIR}/kelspin.cmake)
