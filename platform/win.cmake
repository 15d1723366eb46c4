# Win32 half of the platform layer: the base of forms and controls, dialogs, registry, OLE
# automation; the other controls and the threads are listed in their own files below.
add_library(platform_win STATIC
  ${CMAKE_CURRENT_LIST_DIR}/Automation.cpp
  ${CMAKE_CURRENT_LIST_DIR}/Buttons.cpp
  ${CMAKE_CURRENT_LIST_DIR}/Control.cpp
  ${CMAKE_CURRENT_LIST_DIR}/ControlName.cpp
  ${CMAKE_CURRENT_LIST_DIR}/Dialogs.cpp
  ${CMAKE_CURRENT_LIST_DIR}/Font.cpp
  ${CMAKE_CURRENT_LIST_DIR}/Forms.cpp
  ${CMAKE_CURRENT_LIST_DIR}/GraphicControls.cpp
  ${CMAKE_CURRENT_LIST_DIR}/Registry.cpp
  ${CMAKE_CURRENT_LIST_DIR}/WindowClass.cpp
)
target_include_directories(platform_win PUBLIC ${SKELVANE_ROOT})
target_link_libraries(platform_win PUBLIC platform_core comctl32 user32 gdi32 advapi32 shell32 ole32
  oleaut32 uuid)
include(${CMAKE_CURRENT_LIST_DIR}/win_controls.cmake)
# Threads, events, number format and the edit control live in their own list.
include(${CMAKE_CURRENT_LIST_DIR}/win_threads.cmake)
