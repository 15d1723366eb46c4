# The Lucy-Richardson iteration's speed, in every tree; in the native tree also an FFTW-based
# run of the same iteration on the same plane sizes. FFTW is used here only; the plug-in never
# links it.
add_executable(LucyRichardsonBench ${CMAKE_CURRENT_LIST_DIR}/LucyRichardsonBench.cpp)
target_link_libraries(LucyRichardsonBench PRIVATE lucyrichardson_kernel)

if(SKELVANE_HAVE_FFTW)
  add_executable(LucyRichardsonFFTW ${CMAKE_CURRENT_LIST_DIR}/LucyRichardsonFFTW.cpp)
  target_include_directories(LucyRichardsonFFTW PRIVATE ${SKELVANE_FFTW3_INCLUDE})
  target_link_libraries(LucyRichardsonFFTW PRIVATE ${SKELVANE_FFTW3F})
  # Both in one run, so that the two timings come from the same machine state.
  add_custom_target(lucyrichardson_bench
    COMMAND LucyRichardsonBench
    COMMAND LucyRichardsonFFTW
    DEPENDS LucyRichardsonBench LucyRichardsonFFTW
    USES_TERMINAL)
endif()
