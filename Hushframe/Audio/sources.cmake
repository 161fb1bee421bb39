target_sources(Hushframe PRIVATE
  ${CMAKE_CURRENT_LIST_DIR}/AudioChunker.cpp
  ${CMAKE_CURRENT_LIST_DIR}/AudioEnergy.cpp
  ${CMAKE_CURRENT_LIST_DIR}/AudioProcessor.cpp
  ${CMAKE_CURRENT_LIST_DIR}/AudioProcessorDevices.cpp
  ${CMAKE_CURRENT_LIST_DIR}/AudioProcessorLive.cpp
  ${CMAKE_CURRENT_LIST_DIR}/AudioSampleStream.cpp
  ${CMAKE_CURRENT_LIST_DIR}/ChannelModeCoding.cpp
  ${CMAKE_CURRENT_LIST_DIR}/EnergyVAD.cpp
)
