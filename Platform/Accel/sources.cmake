platform_service(Accel
  SOURCES
    ${CMAKE_CURRENT_LIST_DIR}/Float16.cpp
  LINK PlatformCore PkgConfig::FFTW3F PkgConfig::OPENBLAS
)
