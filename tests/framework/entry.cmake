# The property-list builder (portable, in every tree).
skelvane_test(PiPLTest PiPLTest.cpp ${SKELVANE_ROOT}/framework/PiPL.cpp)
target_include_directories(PiPLTest PRIVATE ${SKELVANE_ROOT}/framework)

if(WIN32)
  # What the tests that load the test plug-in share: its builds, one per start policy, the
  # test dialog's settings, test images and the event log the plug-in writes.
  add_library(test_plugin_support STATIC ${CMAKE_CURRENT_LIST_DIR}/E2ETestSupport.cpp)
  target_include_directories(test_plugin_support PUBLIC ${CMAKE_CURRENT_LIST_DIR})
  target_link_libraries(test_plugin_support PUBLIC host_filter test_temp_folder gtest)
  target_compile_definitions(test_plugin_support PUBLIC
    TEST_PLUGIN_LR="$<TARGET_FILE:TestLucyRichardson>"
    TEST_PLUGIN_ME="$<TARGET_FILE:TestMaximumEntropy>"
    TEST_PLUGIN_DDP="$<TARGET_FILE:TestDDP>"
    TEST_PLUGIN_STATISTICS="$<TARGET_FILE:TestStatistics>")
  add_dependencies(test_plugin_support TestLucyRichardson TestMaximumEntropy TestDDP
    TestStatistics)

  # PluginMain and the start protocol of every policy, end to end: each build of the test
  # plug-in called directly and through the test host's filter call. The dialogs are real
  # windows, so these run under a display (Xvfb).
  skelvane_test(PluginEntryTest
    ${CMAKE_CURRENT_LIST_DIR}/PluginMainTest.cpp
    ${CMAKE_CURRENT_LIST_DIR}/StartHandlerTest.cpp)
  target_link_libraries(PluginEntryTest PRIVATE test_plugin_support)
  set_tests_properties(PluginEntryTest PROPERTIES WORKING_DIRECTORY ${CMAKE_CURRENT_BINARY_DIR})
endif()
