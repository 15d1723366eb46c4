# Portable core of the test host: image files (PGM/PPM, PFM, FITS, PNG output), display
# stretches and the PE image reader that checks built plug-ins. Built in every tree.
add_library(host_core STATIC
  ${CMAKE_CURRENT_LIST_DIR}/FileBytes.cpp
  ${CMAKE_CURRENT_LIST_DIR}/ImageFile.cpp
  ${CMAKE_CURRENT_LIST_DIR}/DisplayStretch.cpp
  ${CMAKE_CURRENT_LIST_DIR}/PngFile.cpp
  ${CMAKE_CURRENT_LIST_DIR}/PEImage.cpp)
target_include_directories(host_core PUBLIC ${CMAKE_CURRENT_LIST_DIR})
