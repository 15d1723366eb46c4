# Tests of the portable numeric core; built and run in every tree (under Wine in Windows trees).
skelvane_test(framework_core_test
  ${CMAKE_CURRENT_LIST_DIR}/DataContainerTest.cpp
  ${CMAKE_CURRENT_LIST_DIR}/UtilitiesTest.cpp
  ${CMAKE_CURRENT_LIST_DIR}/ConversionTest.cpp
  ${CMAKE_CURRENT_LIST_DIR}/PSFTest.cpp
  ${CMAKE_CURRENT_LIST_DIR}/BitIdentityTest.cpp
)
target_link_libraries(framework_core_test PRIVATE framework_core)

# A temporary folder of its own for each test program (portable, in every tree).
add_library(test_temp_folder STATIC ${CMAKE_CURRENT_LIST_DIR}/TempFolder.cpp)
target_include_directories(test_temp_folder PUBLIC ${CMAKE_CURRENT_LIST_DIR})
