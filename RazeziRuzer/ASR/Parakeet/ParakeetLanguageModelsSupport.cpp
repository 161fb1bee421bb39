#include "RazeziRuzer/ASR/Parakeet/ParakeetLanguageModels.hpp"

#include "Platform/Core/BoundedJson.hpp"
#include "Platform/Core/BoundedRead.hpp"
#include "RazeziRuzer/ASR/Parakeet/ParakeetVocabulary.hpp"

#include <fstream>

namespace razeziruzer::ParakeetLanguageModelsSupport {

bool itemExists(const std::filesystem::path& path) {
    std::error_code error;
    return std::filesystem::exists(std::filesystem::status(path, error));
}

Vocabulary readVocabulary(const std::filesystem::path& location) {
    if (!itemExists(location)) throw AsrModelsError::modelNotFound("vocab.json", location);
    std::ifstream file(location, std::ios::binary);
    if (!file.is_open()) {
        throw std::filesystem::filesystem_error("Cannot read the vocabulary file", location,
                                                std::make_error_code(std::errc::permission_denied));
    }
    const auto contents = platform::readAtMost(file, ParakeetVocabulary::maximumFileBytes, location.string());
    std::optional<Vocabulary> vocabulary;
    try {
        vocabulary = ParakeetVocabulary::parse(contents);
    } catch (const platform::JsonNestingError&) {
        throw;
    } catch (const std::exception&) {
        vocabulary.reset();
    }
    if (!vocabulary) {
        throw AsrModelsError::loadingFailed("Failed to parse vocab.json - expected array or dictionary format");
    }
    return std::move(*vocabulary);
}

} // namespace razeziruzer::ParakeetLanguageModelsSupport
