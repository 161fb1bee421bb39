target_sources(Hushframe PRIVATE
  ${CMAKE_CURRENT_LIST_DIR}/AudioEncoder.cpp
  ${CMAKE_CURRENT_LIST_DIR}/FeatureExtractor.cpp
  ${CMAKE_CURRENT_LIST_DIR}/ModelSize.cpp
)
