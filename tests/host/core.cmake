# Tests of the test host's portable core; they run natively and in the Windows trees.
skelvane_test(ImageFileTest
  ${CMAKE_CURRENT_LIST_DIR}/ImageFileTest.cpp)
target_link_libraries(ImageFileTest PRIVATE host_core)
# The real telescope frames of the source tree.
target_compile_definitions(ImageFileTest PRIVATE SKELVANE_SAMPLES_DIR="${SKELVANE_ROOT}/samples")

skelvane_test(DisplayStretchTest
  ${CMAKE_CURRENT_LIST_DIR}/DisplayStretchTest.cpp)
target_link_libraries(DisplayStretchTest PRIVATE host_core)
target_compile_definitions(DisplayStretchTest PRIVATE SKELVANE_SAMPLES_DIR="${SKELVANE_ROOT}/samples")

skelvane_test(PngFileTest
  ${CMAKE_CURRENT_LIST_DIR}/PngFileTest.cpp)
target_link_libraries(PngFileTest PRIVATE host_core)

skelvane_test(PEImageTest
  ${CMAKE_CURRENT_LIST_DIR}/PEImageTest.cpp)
target_link_libraries(PEImageTest PRIVATE host_core)

# Checks the .8bf files of a win32 tree (SKELVANE_WIN32_DIR) from the native tree, where the
# files can be read but not executed. Without that tree, or before it has plug-ins, it skips.
if(NOT CMAKE_CROSSCOMPILING)
  skelvane_test(PluginArtifactsTest
    ${CMAKE_CURRENT_LIST_DIR}/PluginArtifactsTest.cpp)
  target_link_libraries(PluginArtifactsTest PRIVATE host_core)
  # A skip shows as skipped in ctest, not as passed.
  set_tests_properties(PluginArtifactsTest PROPERTIES SKIP_REGULAR_EXPRESSION "\\[  SKIPPED \\]")
  if(SKELVANE_WIN32_DIR)
    set_tests_properties(PluginArtifactsTest PROPERTIES
      ENVIRONMENT "SKELVANE_WIN32_DIR=${SKELVANE_WIN32_DIR}")
  endif()
endif()
