# The framework's user-interface units, driven from a second thread under Wine and Xvfb.
skelvane_test(AboutFormTest ${CMAKE_CURRENT_LIST_DIR}/AboutFormTest.cpp)
target_link_libraries(AboutFormTest PRIVATE framework_ui framework_ui_resources ui_test_support)

skelvane_test(helperTest ${CMAKE_CURRENT_LIST_DIR}/helperTest.cpp)
target_link_libraries(helperTest PRIVATE framework_ui ui_test_support)
include(${CMAKE_CURRENT_LIST_DIR}/kelspin.cmake)

# Modal windows run under dialog scripts, with a watchdog that closes what a failed script left.
add_library(dialog_test_support STATIC ${CMAKE_CURRENT_LIST_DIR}/DialogTestSupport.cpp)
target_include_directories(dialog_test_support PUBLIC ${CMAKE_CURRENT_LIST_DIR})
target_link_libraries(dialog_test_support PUBLIC host_automation platform_win test_temp_folder gtest)

# The task-dialog message box and the standard dialog standing in for it, on screen (Xvfb);
# the manifest asks for the common controls that have the task dialog.
skelvane_test(TaskMessageDlgTest ${CMAKE_CURRENT_LIST_DIR}/VistaTest.cpp
  ${CMAKE_CURRENT_LIST_DIR}/CommonControls6.rc)
target_link_libraries(TaskMessageDlgTest PRIVATE framework_ui dialog_test_support ui_test_support)

# Support of the deconvolution dialogs' tests: reference runs assembled from the kernels,
# the libraries run through the test host, a recorder of what workers post and the checks
# every worker passes.
add_library(deconvolution_test_support STATIC
  ${CMAKE_CURRENT_LIST_DIR}/DeconvolutionE2EChecks.cpp
  ${CMAKE_CURRENT_LIST_DIR}/DeconvolutionReference.cpp
  ${CMAKE_CURRENT_LIST_DIR}/PluginRunSupport.cpp
  ${CMAKE_CURRENT_LIST_DIR}/WorkerChecks.cpp
  ${CMAKE_CURRENT_LIST_DIR}/WorkerRecorder.cpp)
target_include_directories(deconvolution_test_support PUBLIC ${CMAKE_CURRENT_LIST_DIR})
target_link_libraries(deconvolution_test_support PUBLIC dialog_test_support framework_core
  host_automation host_filter platform_win gtest)
