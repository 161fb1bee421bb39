#include "RazeziRuzer/ASR/Parakeet/SlidingWindow/CustomVocabulary/WordSpotting/BpeTokenizerError.hpp"

namespace razeziruzer {

BpeTokenizerError BpeTokenizerError::fileNotFound(const std::filesystem::path& file) {
    return {BpeTokenizerErrorKind::fileNotFound, "tokenizer.json not found at " + file.string()};
}

BpeTokenizerError BpeTokenizerError::invalidJSON(const std::string& text) {
    return {BpeTokenizerErrorKind::invalidJSON, "Invalid JSON: " + text};
}

BpeTokenizerError BpeTokenizerError::missingField(const std::string& dottedName) {
    return {BpeTokenizerErrorKind::missingField, "Missing required field: " + dottedName};
}

BpeTokenizerError BpeTokenizerError::unsupportedTokenizerType(const std::string& type) {
    return {BpeTokenizerErrorKind::unsupportedTokenizerType,
            "Unsupported tokenizer type: " + type + ". Only 'BPE' is supported."};
}

} // namespace razeziruzer
