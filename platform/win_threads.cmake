# Worker threads, events, the user's number format and the edit control (Windows trees).
target_sources(platform_win PRIVATE
  ${CMAKE_CURRENT_LIST_DIR}/Threads.cpp
  ${CMAKE_CURRENT_LIST_DIR}/Event.cpp
  ${CMAKE_CURRENT_LIST_DIR}/NumberFormat_win.cpp
  ${CMAKE_CURRENT_LIST_DIR}/Edit.cpp
)
