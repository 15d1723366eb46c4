# Number patterns and parsing: portable, so tested in every tree.
skelvane_test(NumberFormatTest ${CMAKE_CURRENT_LIST_DIR}/NumberFormatTest.cpp)
target_link_libraries(NumberFormatTest PRIVATE platform_core)
