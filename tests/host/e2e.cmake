# End-to-end: the test host and PluginMain against every build of the test plug-in. The
# dialogs are real windows, so these run under a display (Xvfb).
set(e2eDir ${CMAKE_CURRENT_LIST_DIR})
skelvane_test(HostE2ETest
  ${e2eDir}/E2ETestSupport.cpp
  ${e2eDir}/PluginMainTest.cpp
  ${e2eDir}/StartProtocolTest.cpp
  ${e2eDir}/HostProgramTest.cpp)
target_include_directories(HostE2ETest PRIVATE ${e2eDir})
target_link_libraries(HostE2ETest PRIVATE host_filter)
target_compile_definitions(HostE2ETest PRIVATE
  TEST_PLUGIN_LR="$<TARGET_FILE:TestLucyRichardson>"
  TEST_PLUGIN_ME="$<TARGET_FILE:TestMaximumEntropy>"
  TEST_PLUGIN_DDP="$<TARGET_FILE:TestDDP>"
  TEST_PLUGIN_STATISTICS="$<TARGET_FILE:TestStatistics>"
  SKELVANE_HOST="$<TARGET_FILE:skelvane-host>")
add_dependencies(HostE2ETest TestLucyRichardson TestMaximumEntropy TestDDP TestStatistics
  skelvane-host)
set_tests_properties(HostE2ETest PROPERTIES WORKING_DIRECTORY ${CMAKE_CURRENT_BINARY_DIR})
