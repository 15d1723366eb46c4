# Dialog automation for the test host: scripts run from a second thread, screenshots.
# ControlName.cpp is compiled in here so that this library does not wait for the whole
# platform library; the names it reads are window properties, shared by every copy in the
# process.
add_library(host_automation STATIC
  ${CMAKE_CURRENT_LIST_DIR}/Script.cpp
  ${CMAKE_CURRENT_LIST_DIR}/QueueMarker.cpp
  ${CMAKE_CURRENT_LIST_DIR}/DialogWatchdog.cpp
  ${CMAKE_CURRENT_LIST_DIR}/Screenshot.cpp
  ${CMAKE_CURRENT_LIST_DIR}/../platform/ControlName.cpp)
target_include_directories(host_automation PUBLIC ${CMAKE_CURRENT_LIST_DIR} ${CMAKE_CURRENT_LIST_DIR}/../platform)
target_link_libraries(host_automation PUBLIC host_core comctl32 gdi32 user32)
