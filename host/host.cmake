# The test host program, and its core as a library that the end-to-end tests drive directly.
add_library(host_filter STATIC ${CMAKE_CURRENT_LIST_DIR}/FilterHost.cpp)
target_include_directories(host_filter PUBLIC ${CMAKE_CURRENT_LIST_DIR} ${SKELVANE_ROOT})
target_link_libraries(host_filter PUBLIC host_core)

add_executable(skelvane-host ${CMAKE_CURRENT_LIST_DIR}/HostMain.cpp
  ${CMAKE_CURRENT_LIST_DIR}/AllocationLimit.cpp
  ${CMAKE_CURRENT_LIST_DIR}/FuzzRecords.cpp ${CMAKE_CURRENT_LIST_DIR}/DialogAnswerer.cpp)
target_link_libraries(skelvane-host PRIVATE host_filter host_automation)
