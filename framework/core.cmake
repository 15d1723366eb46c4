# Portable numeric core of the framework: planes and FFT, conversions, point spread functions.
if(WIN32)
  set(framework_page_alloc ${CMAKE_CURRENT_LIST_DIR}/PageAlloc_win.cpp)
else()
  set(framework_page_alloc ${CMAKE_CURRENT_LIST_DIR}/PageAlloc.cpp)
endif()
add_library(framework_core STATIC
  ${CMAKE_CURRENT_LIST_DIR}/DataContainer.cpp
  ${CMAKE_CURRENT_LIST_DIR}/DataContainerRGB.cpp
  ${CMAKE_CURRENT_LIST_DIR}/Utilities.cpp
  ${CMAKE_CURRENT_LIST_DIR}/PSF.cpp
  ${framework_page_alloc}
)
target_include_directories(framework_core PUBLIC ${SKELVANE_ROOT} ${CMAKE_CURRENT_LIST_DIR})
target_link_libraries(framework_core PUBLIC platform_core)
