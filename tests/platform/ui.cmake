# Forms, controls and the registry wrapper (Windows trees, run under Wine and Xvfb). The
# driving helpers are a library so that later dialog tests reuse them.
add_library(ui_test_support STATIC ${CMAKE_CURRENT_LIST_DIR}/UiTestSupport.cpp)
target_include_directories(ui_test_support PUBLIC ${CMAKE_CURRENT_LIST_DIR} ${SKELVANE_ROOT})
target_link_libraries(ui_test_support PUBLIC platform_win host_automation test_temp_folder)

skelvane_test(FormsTest ${CMAKE_CURRENT_LIST_DIR}/FormsTest.cpp)
target_link_libraries(FormsTest PRIVATE ui_test_support dialog_test_support)

skelvane_test(RegistryTest ${CMAKE_CURRENT_LIST_DIR}/RegistryTest.cpp)
target_link_libraries(RegistryTest PRIVATE platform_win)

# The late-binding layer against a recording IDispatch and Wine's own automation server.
skelvane_test(OleAutomationTest ${CMAKE_CURRENT_LIST_DIR}/AutomationTest.cpp)
target_link_libraries(OleAutomationTest PRIVATE platform_win)
