#pragma once
// Every streaming model configuration the speech package can run: its name,
// repository, engine family and chunk size, and a ready-to-load recogniser
// for it, driven through StreamingAsrManager whatever its family.

#include "Platform/CoreML/MLModelConfiguration.hpp"
#include "RazeziRuzer/ASR/Parakeet/Streaming/EOU/StreamingChunkSize.hpp"
#include "RazeziRuzer/ASR/Parakeet/Streaming/Nemotron/NemotronChunkSize.hpp"
#include "RazeziRuzer/ASR/Parakeet/Streaming/StreamingAsrManager.hpp"
#include "RazeziRuzer/ASR/Parakeet/Streaming/UnifiedRecognisers.hpp"
#include "RazeziRuzer/Repo.hpp"
#include "RazeziRuzer/Shared/RawValue.hpp"

#include <memory>
#include <optional>
#include <span>
#include <string>
#include <string_view>

namespace razeziruzer {

enum class StreamingModelVariant {
    parakeetEou160ms,
    parakeetEou320ms,
    parakeetEou1280ms,
    nemotron2240ms,
    nemotron1120ms,
    nemotron560ms,
    parakeetUnified2080ms,
    parakeetUnifiedOffline15s,
};

// The variant's engine family (StreamingModelVariant.EngineFamily).
enum class StreamingEngineFamily { parakeetEou, nemotron, parakeetUnified };

std::string_view rawValue(StreamingModelVariant variant);
std::string_view rawValue(StreamingEngineFamily family);
template <>
std::optional<StreamingModelVariant> fromRawValue<StreamingModelVariant>(std::string_view rawValue);
template <>
std::optional<StreamingEngineFamily> fromRawValue<StreamingEngineFamily>(std::string_view rawValue);
template <>
std::span<const StreamingModelVariant> allCases<StreamingModelVariant>();
template <>
std::span<const StreamingEngineFamily> allCases<StreamingEngineFamily>();

std::string displayName(StreamingModelVariant variant);
Repo repo(StreamingModelVariant variant);
StreamingEngineFamily engineFamily(StreamingModelVariant variant);
std::optional<StreamingChunkSize> eouChunkSize(StreamingModelVariant variant);
std::optional<NemotronChunkSize> nemotronChunkSize(StreamingModelVariant variant);

// The settings the factory gives the unified recognisers.
UnifiedConfig unifiedStreamingSettings();

// Loads nothing and never fails. Without a configuration the platform's
// defaults are used. The unified variants are made by `unified`.
std::unique_ptr<StreamingAsrManager> createManager(
    StreamingModelVariant variant,
    const std::optional<platform::coreml::MLModelConfiguration>& configuration = std::nullopt,
    const UnifiedRecognisers& unified = standardUnifiedRecognisers());

} // namespace razeziruzer
