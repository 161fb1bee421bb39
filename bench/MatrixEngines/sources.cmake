# Matrix-product engines side by side on the shapes of a 1024-wide speech
# encoder: the runtime's current OpenBLAS tiles over the shared pool against
# OpenBLAS's own threads, BLIS, oneDNN and libxsmm. The extra engines are
# found here only; nothing else in the project links them.
# The engines come from Debian: libdnnl-dev libblis-dev libxsmm-dev (not in scripts/setup).
find_package(OpenMP COMPONENTS CXX)
pkg_check_modules(MATRIX_ENGINES_XSMM IMPORTED_TARGET libxsmm)

# Debian installs BLIS beside its own cblas.h; the header is included by its
# full path so that OpenBLAS's cblas.h (with its threading calls) stays the one found.
find_path(MATRIX_ENGINES_BLIS_INCLUDE blis.h
  PATHS /usr/include/x86_64-linux-gnu/blis-openmp /usr/include/blis NO_DEFAULT_PATH)
find_library(MATRIX_ENGINES_BLIS_LIBRARY blis
  PATHS /usr/lib/x86_64-linux-gnu/blis-openmp NO_DEFAULT_PATH)
find_library(MATRIX_ENGINES_DNNL_LIBRARY dnnl)

if(MATRIX_ENGINES_BLIS_INCLUDE AND MATRIX_ENGINES_BLIS_LIBRARY AND MATRIX_ENGINES_DNNL_LIBRARY
   AND MATRIX_ENGINES_XSMM_FOUND AND OpenMP_CXX_FOUND)
  # OpenBLAS must come before BLIS on the link line: both export cblas_sgemm,
  # and the first library loaded answers it (the program checks which one did).
  # The OpenBLAS target itself is placed after everything that needs it, so its
  # library file is named again here, ahead of BLIS.
  ostrel_benchmark(MatrixEngineBench
    SOURCES ${CMAKE_CURRENT_LIST_DIR}/MatrixEngineBenchmark.cpp
    LINK PlatformCoreML ${MATRIX_ENGINES_DNNL_LIBRARY} PkgConfig::MATRIX_ENGINES_XSMM
         ${OPENBLAS_LINK_LIBRARIES} ${MATRIX_ENGINES_BLIS_LIBRARY}
         OpenMP::OpenMP_CXX ${CMAKE_DL_LIBS}
  )
  target_include_directories(MatrixEngineBench PRIVATE ${PROJECT_SOURCE_DIR})
  target_compile_definitions(MatrixEngineBench PRIVATE
    MATRIX_ENGINES_BLIS_HEADER="${MATRIX_ENGINES_BLIS_INCLUDE}/blis.h")
else()
  message(STATUS "MatrixEngineBench skipped: BLIS (blis-openmp), oneDNN, libxsmm or OpenMP not found")
endif()
