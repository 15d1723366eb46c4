# Dialog automation for the test host: scripts run from a second thread, screenshots. The
# control names it reads and the screen copies it takes come from the platform layer.
add_library(host_automation STATIC
  ${CMAKE_CURRENT_LIST_DIR}/Script.cpp
  ${CMAKE_CURRENT_LIST_DIR}/ScriptParser.cpp
  ${CMAKE_CURRENT_LIST_DIR}/ScriptSession.cpp
  ${CMAKE_CURRENT_LIST_DIR}/ScriptCommands.cpp
  ${CMAKE_CURRENT_LIST_DIR}/ScriptWaits.cpp
  ${CMAKE_CURRENT_LIST_DIR}/QueueMarker.cpp
  ${CMAKE_CURRENT_LIST_DIR}/DialogWatchdog.cpp
  ${CMAKE_CURRENT_LIST_DIR}/WindowThreadCall.cpp
  ${CMAKE_CURRENT_LIST_DIR}/Screenshot.cpp)
target_include_directories(host_automation PUBLIC ${CMAKE_CURRENT_LIST_DIR})
target_link_libraries(host_automation PUBLIC host_core platform_win comctl32 gdi32 user32)
