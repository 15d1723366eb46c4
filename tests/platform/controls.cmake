# The controls of the form layer and the gallery of all of them (Windows trees, under Wine
# with a display).
if(WIN32)
  skelvane_test(ControlsTest
    ${CMAKE_CURRENT_LIST_DIR}/BitmapCanvasTest.cpp
    ${CMAKE_CURRENT_LIST_DIR}/ChartTest.cpp
    ${CMAKE_CURRENT_LIST_DIR}/ComboBoxTest.cpp
    ${CMAKE_CURRENT_LIST_DIR}/ListViewTest.cpp
    ${CMAKE_CURRENT_LIST_DIR}/ProgressBarTest.cpp
    ${CMAKE_CURRENT_LIST_DIR}/RadioGroupTest.cpp
    ${CMAKE_CURRENT_LIST_DIR}/SpeedButtonTest.cpp
    ${CMAKE_CURRENT_LIST_DIR}/TimerTest.cpp
    ${CMAKE_CURRENT_LIST_DIR}/TrackBarTest.cpp)
  target_link_libraries(ControlsTest PRIVATE platform_win host_core)

  # Writes ControlGallery.png into the directory named by SKELVANE_ARTIFACTS (or a temporary one).
  skelvane_test(GalleryTest
    ${CMAKE_CURRENT_LIST_DIR}/GalleryTest.cpp
    ${CMAKE_CURRENT_LIST_DIR}/UiTestSupport.cpp)
  target_link_libraries(GalleryTest PRIVATE framework_kelspin framework_kelspin_resources
                        platform_win host_automation test_temp_folder)
endif()
