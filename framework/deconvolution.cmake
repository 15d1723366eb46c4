# The worker thread and the dialog shared by the deconvolution plug-ins (Windows trees).
add_library(framework_deconvolution STATIC
  ${CMAKE_CURRENT_LIST_DIR}/DeconvolutionThread.cpp
  ${CMAKE_CURRENT_LIST_DIR}/DeconvolutionForm.cpp
  ${CMAKE_CURRENT_LIST_DIR}/DeconvolutionRuns.cpp
)
target_include_directories(framework_deconvolution PUBLIC ${SKELVANE_ROOT})
target_link_libraries(framework_deconvolution PUBLIC framework_core framework_ui framework_kelspin
  platform_win)
