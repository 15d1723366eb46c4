# Helpers shared by the CMake files of the project.

set(SKELVANE_ROOT ${CMAKE_CURRENT_LIST_DIR}/..)

# GoogleTest from the distribution's sources, so that the Windows trees build it with the
# cross compiler exactly as the native tree does.
if(NOT TARGET gtest)
  set(INSTALL_GTEST OFF CACHE BOOL "" FORCE)
  set(BUILD_GMOCK ON CACHE BOOL "" FORCE)
  add_subdirectory(/usr/src/googletest ${CMAKE_BINARY_DIR}/googletest EXCLUDE_FROM_ALL)
endif()

# skelvane_test(NAME source...): one GoogleTest executable, registered as one ctest entry.
# In the Windows trees ctest runs it through the Wine wrapper (CMAKE_CROSSCOMPILING_EMULATOR).
# The long ones carry their usual seconds under Wine as their COST: ctest starts the costliest
# first, so that a fresh tree, which has no timings of an earlier run, leaves none of them for
# the end of a run side by side.
function(skelvane_test name)
  add_executable(${name} ${ARGN})
  target_link_libraries(${name} PRIVATE gtest_main gmock)
  add_test(NAME ${name} COMMAND ${name})
  set_tests_properties(${name} PROPERTIES TIMEOUT 600)
endfunction()

include(${CMAKE_CURRENT_LIST_DIR}/Plugin.cmake)
