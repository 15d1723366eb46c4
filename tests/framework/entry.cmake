# The property-list builder (portable, in every tree).
skelvane_test(PiPLTest PiPLTest.cpp ${SKELVANE_ROOT}/framework/PiPL.cpp)
target_include_directories(PiPLTest PRIVATE ${SKELVANE_ROOT}/framework)
