# Audio conversion, mel features, sample sources and the audio stream; the
# files live in Shared/ beside the package's other shared pieces.
target_sources(RazeziRuzer PRIVATE
  ${CMAKE_CURRENT_LIST_DIR}/../Shared/ArrayAudioSampleSource.cpp
  ${CMAKE_CURRENT_LIST_DIR}/../Shared/AudioConverter.cpp
  ${CMAKE_CURRENT_LIST_DIR}/../Shared/AudioConverterError.cpp
  ${CMAKE_CURRENT_LIST_DIR}/../Shared/AudioMelSpectrogram.cpp
  ${CMAKE_CURRENT_LIST_DIR}/../Shared/AudioSampleSource.cpp
  ${CMAKE_CURRENT_LIST_DIR}/../Shared/AudioSource.cpp
  ${CMAKE_CURRENT_LIST_DIR}/../Shared/AudioSourceError.cpp
  ${CMAKE_CURRENT_LIST_DIR}/../Shared/AudioSourceFactory.cpp
  ${CMAKE_CURRENT_LIST_DIR}/../Shared/AudioStream.cpp
  ${CMAKE_CURRENT_LIST_DIR}/../Shared/AudioStreamError.cpp
  ${CMAKE_CURRENT_LIST_DIR}/../Shared/AudioWAV.cpp
  ${CMAKE_CURRENT_LIST_DIR}/../Shared/DiskBackedAudioSampleSource.cpp
  ${CMAKE_CURRENT_LIST_DIR}/../Shared/DoubleText.cpp
  ${CMAKE_CURRENT_LIST_DIR}/../Shared/MappedFileData.cpp
)
