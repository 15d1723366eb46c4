# The Lucy-Richardson iteration's speed, beside an FFTW-based run of the same iteration on the
# same plane sizes. FFTW is used here only; the plug-in never links it.
add_executable(LucyRichardsonBench LucyRichardsonBench.cpp)
target_link_libraries(LucyRichardsonBench PRIVATE lucyrichardson_kernel)

find_path(FFTW3_INCLUDE_DIR fftw3.h)
find_library(FFTW3F_LIBRARY fftw3f)
if(FFTW3_INCLUDE_DIR AND FFTW3F_LIBRARY)
  add_executable(LucyRichardsonFFTW LucyRichardsonFFTW.cpp)
  target_include_directories(LucyRichardsonFFTW PRIVATE ${FFTW3_INCLUDE_DIR})
  target_link_libraries(LucyRichardsonFFTW PRIVATE ${FFTW3F_LIBRARY})
  # Both in one run, so that the two timings come from the same machine state.
  add_custom_target(lucyrichardson_bench
    COMMAND LucyRichardsonBench
    COMMAND LucyRichardsonFFTW
    DEPENDS LucyRichardsonBench LucyRichardsonFFTW
    USES_TERMINAL)
endif()
