# The plug-in entry (PluginMain, continue handler) and the start-handler family.
add_library(framework_entry STATIC PluginMain.cpp StartHandler.cpp)
target_include_directories(framework_entry PUBLIC ${SKELVANE_ROOT})
target_link_libraries(framework_entry PUBLIC framework_ui)
