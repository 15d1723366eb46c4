# Number patterns and parsing: portable, built in every tree.
target_sources(platform_core PRIVATE ${CMAKE_CURRENT_LIST_DIR}/NumberFormat.cpp)
