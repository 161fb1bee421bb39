platform_service(Accel
  SOURCES
    ${CMAKE_CURRENT_LIST_DIR}/Blas.cpp
    ${CMAKE_CURRENT_LIST_DIR}/ComplexFFT.cpp
    ${CMAKE_CURRENT_LIST_DIR}/FFTPlanCache.cpp
    ${CMAKE_CURRENT_LIST_DIR}/Float16.cpp
    ${CMAKE_CURRENT_LIST_DIR}/PanelProduct.cpp
    ${CMAKE_CURRENT_LIST_DIR}/RealFFT.cpp
    ${CMAKE_CURRENT_LIST_DIR}/VectorOps.cpp
  LINK PlatformCore PkgConfig::FFTW3F PkgConfig::OPENBLAS PkgConfig::XSMM
)
