# Portable platform pieces, built in every tree.
add_library(platform_core STATIC
  ${CMAKE_CURRENT_LIST_DIR}/Bitmap24.cpp
  ${CMAKE_CURRENT_LIST_DIR}/FloatingPointState.cpp
)
target_include_directories(platform_core PUBLIC ${SKELVANE_ROOT} ${CMAKE_CURRENT_LIST_DIR})
include(${CMAKE_CURRENT_LIST_DIR}/core_numbers.cmake)
