# End-to-end: the test host program, run as users run it, on builds of the test plug-in. The
# dialogs are real windows, so these run under a display (Xvfb).
skelvane_test(HostE2ETest ${CMAKE_CURRENT_LIST_DIR}/HostProgramTest.cpp)
target_link_libraries(HostE2ETest PRIVATE test_plugin_support)
target_compile_definitions(HostE2ETest PRIVATE SKELVANE_HOST="$<TARGET_FILE:skelvane-host>")
add_dependencies(HostE2ETest skelvane-host)
set_tests_properties(HostE2ETest PROPERTIES WORKING_DIRECTORY ${CMAKE_CURRENT_BINARY_DIR})
