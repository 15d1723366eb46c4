# Portable numeric core of the framework: planes and FFT, conversions, point spread functions.
if(WIN32)
  set(framework_page_alloc ${CMAKE_CURRENT_LIST_DIR}/PageAlloc_win.cpp)
else()
  set(framework_page_alloc ${CMAKE_CURRENT_LIST_DIR}/PageAlloc.cpp)
endif()
add_library(framework_core STATIC
  ${CMAKE_CURRENT_LIST_DIR}/DataContainer.cpp
  ${CMAKE_CURRENT_LIST_DIR}/FFTKernels.cpp
  ${CMAKE_CURRENT_LIST_DIR}/FFTWorkspace.cpp
  ${CMAKE_CURRENT_LIST_DIR}/WorkerPool.cpp
  ${CMAKE_CURRENT_LIST_DIR}/DataContainerRGB.cpp
  ${CMAKE_CURRENT_LIST_DIR}/Utilities.cpp
  ${CMAKE_CURRENT_LIST_DIR}/PSF.cpp
  ${framework_page_alloc}
)
target_include_directories(framework_core PUBLIC ${SKELVANE_ROOT} ${CMAKE_CURRENT_LIST_DIR})
target_link_libraries(framework_core PUBLIC platform_core)
# The AVX2 kernel is the only unit built for AVX2; it runs only where the machine has it.
if(CMAKE_SYSTEM_PROCESSOR MATCHES "^(x86_64|AMD64|i686|i386)$")
  target_sources(framework_core PRIVATE ${CMAKE_CURRENT_LIST_DIR}/FFTKernelsAVX2.cpp)
  set_source_files_properties(${CMAKE_CURRENT_LIST_DIR}/FFTKernelsAVX2.cpp PROPERTIES
    COMPILE_OPTIONS "-mavx2;-mfma")
  set_property(SOURCE ${CMAKE_CURRENT_LIST_DIR}/FFTKernels.cpp APPEND PROPERTY
    COMPILE_DEFINITIONS SKELVANE_HAVE_AVX2_KERNEL)
endif()
find_package(Threads REQUIRED)
target_link_libraries(framework_core PUBLIC Threads::Threads)
