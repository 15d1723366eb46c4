# The spin edit, on a shown form under Wine and Xvfb.
skelvane_test(KelSpinTest ${CMAKE_CURRENT_LIST_DIR}/KelSpinTest.cpp)
target_include_directories(KelSpinTest PRIVATE ${SKELVANE_ROOT}/tests/platform)
target_link_libraries(KelSpinTest PRIVATE framework_kelspin framework_kelspin_resources)
# Its repeat tests time the arrows' timer to tens of milliseconds: nothing else of the suite
# runs beside them.
set_tests_properties(KelSpinTest PROPERTIES RUN_SERIAL TRUE)
