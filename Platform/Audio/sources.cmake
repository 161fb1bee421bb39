platform_service(Audio
  SOURCES
    ${CMAKE_CURRENT_LIST_DIR}/AudioFormat.cpp
    ${CMAKE_CURRENT_LIST_DIR}/PCMBuffer.cpp
    ${CMAKE_CURRENT_LIST_DIR}/SampleCopy.cpp
    ${CMAKE_CURRENT_LIST_DIR}/ChannelMixer.cpp
    ${CMAKE_CURRENT_LIST_DIR}/Resampler.cpp
    ${CMAKE_CURRENT_LIST_DIR}/AudioConverter.cpp
    ${CMAKE_CURRENT_LIST_DIR}/AudioFile.cpp
    ${CMAKE_CURRENT_LIST_DIR}/WavWriter.cpp
    ${CMAKE_CURRENT_LIST_DIR}/PulseConnection.cpp
    ${CMAKE_CURRENT_LIST_DIR}/PulseCaptureEngine.cpp
    ${CMAKE_CURRENT_LIST_DIR}/CaptureSource.cpp
  LINK PlatformCore PkgConfig::SNDFILE PkgConfig::SOXR PkgConfig::LIBPULSE
)
