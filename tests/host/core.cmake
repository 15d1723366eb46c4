# Tests of the test host's portable core; they run natively and in the Windows trees.
skelvane_test(ImageFileTest
  ${CMAKE_CURRENT_LIST_DIR}/ImageFileTest.cpp)
target_link_libraries(ImageFileTest PRIVATE host_core test_temp_folder)
# The real telescope frames of the source tree.
target_compile_definitions(ImageFileTest PRIVATE SKELVANE_SAMPLES_DIR="${SKELVANE_ROOT}/samples")

skelvane_test(DisplayStretchTest
  ${CMAKE_CURRENT_LIST_DIR}/DisplayStretchTest.cpp)
target_link_libraries(DisplayStretchTest PRIVATE host_core)
target_compile_definitions(DisplayStretchTest PRIVATE SKELVANE_SAMPLES_DIR="${SKELVANE_ROOT}/samples")

skelvane_test(PngFileTest
  ${CMAKE_CURRENT_LIST_DIR}/PngFileTest.cpp)
target_link_libraries(PngFileTest PRIVATE host_core test_temp_folder)

skelvane_test(PEImageTest
  ${CMAKE_CURRENT_LIST_DIR}/PEImageTest.cpp)
target_link_libraries(PEImageTest PRIVATE host_core)

skelvane_test(WaitFactorTest
  ${CMAKE_CURRENT_LIST_DIR}/WaitFactorTest.cpp)
target_link_libraries(WaitFactorTest PRIVATE host_core)

# Checks the .8bf files of a win32 tree from a native tree (the sanitizer's too), where the files
# can be read but not executed: the tree SKELVANE_WIN32_DIR names, by default the win32 tree
# beside this one, where scripts/build.sh puts it. The check fails while that tree has no
# plug-ins; a tree configured with SKELVANE_WIN32_DIR empty has no such check.
if(NOT CMAKE_CROSSCOMPILING)
  get_filename_component(siblingWin32Dir ${CMAKE_BINARY_DIR}/../win32 ABSOLUTE)
  set(SKELVANE_WIN32_DIR ${siblingWin32Dir} CACHE PATH "The win32 tree whose plug-ins are checked")
  if(SKELVANE_WIN32_DIR)
    skelvane_test(PluginArtifactsTest
      ${CMAKE_CURRENT_LIST_DIR}/PluginArtifactsTest.cpp)
    target_link_libraries(PluginArtifactsTest PRIVATE host_core)
    set_tests_properties(PluginArtifactsTest PROPERTIES
      ENVIRONMENT "SKELVANE_WIN32_DIR=${SKELVANE_WIN32_DIR}")
  endif()
endif()
