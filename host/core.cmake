# Portable core of the test host: image files (PGM/PPM, PFM, FITS, PNG output), display
# stretches, the PE image reader that checks built plug-ins, the guarded blocks and seeded
# choices of the fuzz drivers, and the factor every wait of the host and the tests is scaled by.
# Built in every tree.
if(WIN32)
  set(host_guard_pages ${CMAKE_CURRENT_LIST_DIR}/GuardPages_win.cpp)
else()
  set(host_guard_pages ${CMAKE_CURRENT_LIST_DIR}/GuardPages.cpp)
endif()
add_library(host_core STATIC
  ${CMAKE_CURRENT_LIST_DIR}/FileBytes.cpp
  ${CMAKE_CURRENT_LIST_DIR}/ImageFile.cpp
  ${CMAKE_CURRENT_LIST_DIR}/DisplayStretch.cpp
  ${CMAKE_CURRENT_LIST_DIR}/PngFile.cpp
  ${CMAKE_CURRENT_LIST_DIR}/PEImage.cpp
  ${CMAKE_CURRENT_LIST_DIR}/GuardedBlock.cpp
  ${CMAKE_CURRENT_LIST_DIR}/SeededChoice.cpp
  ${CMAKE_CURRENT_LIST_DIR}/WaitFactor.cpp
  ${host_guard_pages})
target_include_directories(host_core PUBLIC ${CMAKE_CURRENT_LIST_DIR})
