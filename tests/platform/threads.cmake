# Worker threads and events (Windows trees, run under Wine).
if(WIN32)
  skelvane_test(ThreadsTest ${CMAKE_CURRENT_LIST_DIR}/ThreadsTest.cpp)
  target_link_libraries(ThreadsTest PRIVATE platform_win host_core)
endif()
