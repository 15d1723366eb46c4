# The test host's dialog automation against a raw Win32 test window; runs under Wine with a
# display (xvfb-run).
skelvane_test(AutomationTest
  ${CMAKE_CURRENT_LIST_DIR}/ScriptTest.cpp
  ${CMAKE_CURRENT_LIST_DIR}/WindowThreadCallTest.cpp
  ${CMAKE_CURRENT_LIST_DIR}/AutomationTestWindow.cpp)
target_link_libraries(AutomationTest PRIVATE host_automation test_temp_folder comctl32)
