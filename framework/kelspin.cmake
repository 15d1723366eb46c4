# The spin edit with its auto-repeat arrows, and its link with a track bar (Windows trees).
add_library(framework_kelspin STATIC ${CMAKE_CURRENT_LIST_DIR}/KelSpin.cpp
  ${CMAKE_CURRENT_LIST_DIR}/ParameterLink.cpp)
target_include_directories(framework_kelspin PUBLIC ${SKELVANE_ROOT})
target_link_libraries(framework_kelspin PUBLIC platform_win)

# The arrow glyphs. Static libraries cannot carry resources, so every module that contains the
# spin edit links this target, which compiles the script into the module itself.
enable_language(RC)
add_library(framework_kelspin_resources INTERFACE)
target_sources(framework_kelspin_resources INTERFACE ${CMAKE_CURRENT_LIST_DIR}/res/KelSpin.rc)
target_include_directories(framework_kelspin_resources INTERFACE ${SKELVANE_ROOT})
