#include "RazeziRuzer/ASR/Parakeet/Streaming/StreamingModelVariant.hpp"

#include "RazeziRuzer/ASR/Parakeet/Streaming/EOU/StreamingEouAsrManager.hpp"
#include "RazeziRuzer/ASR/Parakeet/Streaming/Nemotron/StreamingNemotronAsrManager.hpp"

#include <array>

namespace razeziruzer {
namespace {

struct VariantRow {
    StreamingModelVariant variant;
    std::string_view raw;
    const char* displayName;
    Repo repo;
    StreamingEngineFamily family;
    std::optional<StreamingChunkSize> eou;
    std::optional<NemotronChunkSize> nemotron;
};

using V = StreamingModelVariant;
using F = StreamingEngineFamily;

const std::array<VariantRow, 8> rows{{
    {V::parakeetEou160ms, "parakeet-eou-160ms", "Parakeet EOU 120M (160ms)", Repo::parakeetEou160, F::parakeetEou,
     StreamingChunkSize::ms160, std::nullopt},
    {V::parakeetEou320ms, "parakeet-eou-320ms", "Parakeet EOU 120M (320ms)", Repo::parakeetEou320, F::parakeetEou,
     StreamingChunkSize::ms320, std::nullopt},
    {V::parakeetEou1280ms, "parakeet-eou-1280ms", "Parakeet EOU 120M (1280ms)", Repo::parakeetEou1280,
     F::parakeetEou, StreamingChunkSize::ms1280, std::nullopt},
    {V::nemotron2240ms, "nemotron-2240ms", "Nemotron 0.6B (2240ms)", Repo::nemotronStreaming2240, F::nemotron,
     std::nullopt, NemotronChunkSize::ms2240},
    {V::nemotron1120ms, "nemotron-1120ms", "Nemotron 0.6B (1120ms)", Repo::nemotronStreaming1120, F::nemotron,
     std::nullopt, NemotronChunkSize::ms1120},
    {V::nemotron560ms, "nemotron-560ms", "Nemotron 0.6B (560ms)", Repo::nemotronStreaming560, F::nemotron,
     std::nullopt, NemotronChunkSize::ms560},
    {V::parakeetUnified2080ms, "parakeet-unified-2080ms", "Parakeet Unified 0.6B (2080ms)", Repo::parakeetUnified,
     F::parakeetUnified, std::nullopt, std::nullopt},
    {V::parakeetUnifiedOffline15s, "parakeet-unified-offline-15s", "Parakeet Unified 0.6B (offline 15s batch)",
     Repo::parakeetUnified, F::parakeetUnified, std::nullopt, std::nullopt},
}};

constexpr std::array<StreamingModelVariant, 8> variants{
    V::parakeetEou160ms, V::parakeetEou320ms, V::parakeetEou1280ms, V::nemotron2240ms,
    V::nemotron1120ms,   V::nemotron560ms,    V::parakeetUnified2080ms, V::parakeetUnifiedOffline15s};
constexpr std::array<StreamingEngineFamily, 3> families{F::parakeetEou, F::nemotron, F::parakeetUnified};

const VariantRow& row(StreamingModelVariant variant) { return rows[static_cast<std::size_t>(variant)]; }

} // namespace

std::string_view rawValue(StreamingModelVariant variant) { return row(variant).raw; }

std::string_view rawValue(StreamingEngineFamily family) {
    switch (family) {
    case F::parakeetEou: return "parakeet-eou";
    case F::nemotron: return "nemotron";
    case F::parakeetUnified: return "parakeet-unified";
    }
    return "";
}

template <>
std::optional<StreamingModelVariant> fromRawValue<StreamingModelVariant>(std::string_view raw) {
    for (const auto& r : rows) {
        if (r.raw == raw) return r.variant;
    }
    return std::nullopt;
}

template <>
std::optional<StreamingEngineFamily> fromRawValue<StreamingEngineFamily>(std::string_view raw) {
    for (const auto family : families) {
        if (rawValue(family) == raw) return family;
    }
    return std::nullopt;
}

template <>
std::span<const StreamingModelVariant> allCases<StreamingModelVariant>() { return variants; }

template <>
std::span<const StreamingEngineFamily> allCases<StreamingEngineFamily>() { return families; }

std::string displayName(StreamingModelVariant variant) { return row(variant).displayName; }
Repo repo(StreamingModelVariant variant) { return row(variant).repo; }
StreamingEngineFamily engineFamily(StreamingModelVariant variant) { return row(variant).family; }
std::optional<StreamingChunkSize> eouChunkSize(StreamingModelVariant variant) { return row(variant).eou; }
std::optional<NemotronChunkSize> nemotronChunkSize(StreamingModelVariant variant) { return row(variant).nemotron; }

UnifiedConfig unifiedStreamingSettings() { return {70, 13, 13, 16000, 1280, 128, 2, 640, 1024, 10}; }

std::unique_ptr<StreamingAsrManager> createManager(StreamingModelVariant variant,
                                                   const std::optional<platform::coreml::MLModelConfiguration>& configuration,
                                                   const UnifiedRecognisers& unified) {
    const auto chosen = configuration.value_or(platform::coreml::MLModelConfiguration{});
    const auto& r = row(variant);
    switch (r.family) {
    case F::parakeetEou: return std::make_unique<StreamingEouAsrManager>(chosen, *r.eou, 1280, false);
    case F::nemotron: return std::make_unique<StreamingNemotronAsrManager>(chosen, r.nemotron);
    case F::parakeetUnified:
        if (variant == V::parakeetUnifiedOffline15s) {
            return unified.makeOffline(chosen, unifiedStreamingSettings(), UnifiedEncoderPrecision::int8);
        }
        return unified.makeStreaming(chosen, unifiedStreamingSettings(), UnifiedEncoderPrecision::int8);
    }
    return nullptr;
}

} // namespace razeziruzer
