# The framework's user-interface units, driven from a second thread under Wine and Xvfb.
skelvane_test(AboutFormTest ${CMAKE_CURRENT_LIST_DIR}/AboutFormTest.cpp)
target_link_libraries(AboutFormTest PRIVATE framework_ui framework_ui_resources ui_test_support)

skelvane_test(helperTest ${CMAKE_CURRENT_LIST_DIR}/helperTest.cpp)
target_link_libraries(helperTest PRIVATE framework_ui ui_test_support)
# Shares the product's registry key with every other test that writes it.
set_tests_properties(helperTest PROPERTIES RESOURCE_LOCK SkelvaneRegistry)
include(${CMAKE_CURRENT_LIST_DIR}/kelspin.cmake)
