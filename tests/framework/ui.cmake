# The framework's user-interface units, driven from a second thread under Wine and Xvfb.
skelvane_test(AboutFormTest ${CMAKE_CURRENT_LIST_DIR}/AboutFormTest.cpp)
target_link_libraries(AboutFormTest PRIVATE framework_ui framework_ui_resources ui_test_support)

skelvane_test(helperTest ${CMAKE_CURRENT_LIST_DIR}/helperTest.cpp)
target_link_libraries(helperTest PRIVATE framework_ui ui_test_support)
# Shares the product's registry key with every other test that writes it.
set_tests_properties(helperTest PROPERTIES RESOURCE_LOCK SkelvaneRegistry)
include(${CMAKE_CURRENT_LIST_DIR}/kelspin.cmake)

# Support of the deconvolution dialogs' tests: reference runs assembled from the kernels,
# dialogs run under scripts, the libraries run through the test host, and a recorder of what
# workers post.
add_library(deconvolution_test_support STATIC
  ${CMAKE_CURRENT_LIST_DIR}/DeconvolutionReference.cpp
  ${CMAKE_CURRENT_LIST_DIR}/DialogTestSupport.cpp
  ${CMAKE_CURRENT_LIST_DIR}/PluginRunSupport.cpp
  ${CMAKE_CURRENT_LIST_DIR}/WorkerRecorder.cpp)
target_include_directories(deconvolution_test_support PUBLIC ${CMAKE_CURRENT_LIST_DIR})
target_link_libraries(deconvolution_test_support PUBLIC framework_core host_automation
  host_filter platform_win gtest)
