set(COREML_SOURCES
    ${CMAKE_CURRENT_LIST_DIR}/ArrayLayout.cpp
    ${CMAKE_CURRENT_LIST_DIR}/ElementAccess.cpp
    ${CMAKE_CURRENT_LIST_DIR}/FeatureValidation.cpp
    ${CMAKE_CURRENT_LIST_DIR}/MLArrayBatchProvider.cpp
    ${CMAKE_CURRENT_LIST_DIR}/MLDictionaryFeatureProvider.cpp
    ${CMAKE_CURRENT_LIST_DIR}/MLFeatureDescription.cpp
    ${CMAKE_CURRENT_LIST_DIR}/MLFeatureValue.cpp
    ${CMAKE_CURRENT_LIST_DIR}/MLModel.cpp
    ${CMAKE_CURRENT_LIST_DIR}/MLModelBackend.cpp
    ${CMAKE_CURRENT_LIST_DIR}/MLModelBackendRegistry.cpp
    ${CMAKE_CURRENT_LIST_DIR}/MLModelDescription.cpp
    ${CMAKE_CURRENT_LIST_DIR}/MLModelError.cpp
    ${CMAKE_CURRENT_LIST_DIR}/MLMultiArray.cpp
    ${CMAKE_CURRENT_LIST_DIR}/MLMultiArrayConstraint.cpp
    ${CMAKE_CURRENT_LIST_DIR}/MLMultiArrayDataType.cpp
    ${CMAKE_CURRENT_LIST_DIR}/MLState.cpp
    ${CMAKE_CURRENT_LIST_DIR}/ScriptedModelBackend.cpp
)
include(${CMAKE_CURRENT_LIST_DIR}/MIL/sources.cmake)
platform_service(CoreML
  SOURCES ${COREML_SOURCES}
  LINK PlatformConcurrency PlatformCore PlatformAccel nlohmann_json::nlohmann_json
)
# The interpreter's kernels are plain loops over large arrays: let optimised
# builds vectorise them fully.
target_compile_options(PlatformCoreML PRIVATE $<$<CONFIG:Release,RelWithDebInfo>:-O3>)
