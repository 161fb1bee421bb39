#pragma once
// Every downloadable model set of the speech package: where it lives on the
// model hub (repository and optional folder inside it) and on the local disk.

#include "RazeziRuzer/Shared/RawValue.hpp"

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

namespace razeziruzer {

enum class Repo : std::uint8_t {
    vad,
    parakeetV3,
    parakeetV2,
    parakeetCtc110m,
    parakeetCtc06b,
    senseVoiceSmall,
    paraformerLargeZh,
    parakeetJa,
    parakeetEou160,
    parakeetEou320,
    parakeetEou1280,
    nemotronStreaming2240,
    nemotronStreaming1120,
    nemotronStreaming560,
    parakeetUnified,
    nemotronMultilingual,
    diarizer,
    kokoro,
    kokoroAne,
    kokoroAneZh,
    kokoroAneJa,
    sortformer,
    lseendAmi,
    lseendCallHome,
    lseendDihard2,
    lseendDihard3,
    pocketTts,
    multilingualG2p,
    parakeetTdtCtc110m,
    cohereTranscribeCoreml,
    styletts2,
    supertonic3,
};

// Owner and repository, e.g. "ZoviriVodovozav/parakeet-tdt-0.6b-v3-coreml".
std::string_view rawValue(Repo repo);
// The raw value without the owner; may hold a folder inside the repository.
std::string_view name(Repo repo);
// The hub repository itself: owner and the first component of name().
std::string remotePath(Repo repo);
// The folder inside the repository that holds the model files, if any.
std::optional<std::string_view> subPath(Repo repo);
// The folder under the package's models directory (may hold a slash).
std::string folderName(Repo repo);

template <>
std::optional<Repo> fromRawValue<Repo>(std::string_view rawValue);
template <>
std::span<const Repo> allCases<Repo>();

} // namespace razeziruzer
