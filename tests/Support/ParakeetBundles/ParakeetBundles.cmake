# Parakeet-shaped program bundles and the model-call recorder, shared by the
# recogniser's end-to-end tests and its benchmark. Included from both trees;
# the bundle writer comes from the test fixtures when they are built, and is
# compiled here otherwise (benchmark builds without tests).
if(NOT TARGET ParakeetBundleSupport)
  add_library(ParakeetBundleSupport STATIC
    ${CMAKE_CURRENT_LIST_DIR}/ProgramBuilder.cpp
    ${CMAKE_CURRENT_LIST_DIR}/PredictionBundles.cpp
    ${CMAKE_CURRENT_LIST_DIR}/ModelCallRecorder.cpp
    ${CMAKE_CURRENT_LIST_DIR}/CodedBundles.cpp
  )
  target_include_directories(ParakeetBundleSupport PUBLIC ${PROJECT_SOURCE_DIR})
  target_link_libraries(ParakeetBundleSupport PUBLIC PlatformCoreML)
  if(TARGET TestSupport)
    target_link_libraries(ParakeetBundleSupport PUBLIC TestSupport)
  else()
    target_sources(ParakeetBundleSupport PRIVATE ${PROJECT_SOURCE_DIR}/tests/Support/ModelBundleWriter.cpp)
  endif()
endif()
