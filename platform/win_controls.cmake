# The remaining controls of the form layer, the timer and bitmaps on screen (Windows trees).
target_sources(platform_win PRIVATE
  ${CMAKE_CURRENT_LIST_DIR}/BitmapCanvas.cpp
  ${CMAKE_CURRENT_LIST_DIR}/Chart.cpp
  ${CMAKE_CURRENT_LIST_DIR}/ComboBox.cpp
  ${CMAKE_CURRENT_LIST_DIR}/CommonControls.cpp
  ${CMAKE_CURRENT_LIST_DIR}/GroupBox.cpp
  ${CMAKE_CURRENT_LIST_DIR}/ListView.cpp
  ${CMAKE_CURRENT_LIST_DIR}/Panel.cpp
  ${CMAKE_CURRENT_LIST_DIR}/ProgressBar.cpp
  ${CMAKE_CURRENT_LIST_DIR}/RadioGroup.cpp
  ${CMAKE_CURRENT_LIST_DIR}/SiblingClip.cpp
  ${CMAKE_CURRENT_LIST_DIR}/SpeedButton.cpp
  ${CMAKE_CURRENT_LIST_DIR}/StaticText.cpp
  ${CMAKE_CURRENT_LIST_DIR}/Timer.cpp
  ${CMAKE_CURRENT_LIST_DIR}/TrackBar.cpp
)
