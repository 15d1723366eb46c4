# The worker thread and the dialog shared by the deconvolution plug-ins (Windows trees).
add_library(framework_deconvolution STATIC
  ${CMAKE_CURRENT_LIST_DIR}/DeconvolutionThread.cpp
  ${CMAKE_CURRENT_LIST_DIR}/DeconvolutionForm.cpp
  ${CMAKE_CURRENT_LIST_DIR}/DeconvolutionRuns.cpp
)
target_include_directories(framework_deconvolution PUBLIC ${SKELVANE_ROOT})
target_link_libraries(framework_deconvolution PUBLIC framework_core framework_ui framework_kelspin
  platform_win)

# The dialog's glyphs (the about button's, and the spin edits' arrows), compiled into every
# module that contains the dialog.
add_library(framework_deconvolution_resources INTERFACE)
target_sources(framework_deconvolution_resources INTERFACE
  ${CMAKE_CURRENT_LIST_DIR}/res/Deconvolution.rc)
target_include_directories(framework_deconvolution_resources INTERFACE ${SKELVANE_ROOT})
target_link_libraries(framework_deconvolution_resources INTERFACE framework_kelspin_resources)
