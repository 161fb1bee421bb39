#include "RazeziRuzer/ASR/Parakeet/SlidingWindow/CustomVocabulary/WordSpotting/CtcTokenizerError.hpp"

namespace razeziruzer {

CtcTokenizerError CtcTokenizerError::tokenizerNotFound(const std::filesystem::path& file) {
    return {CtcTokenizerErrorKind::tokenizerNotFound, "tokenizer.json not found at " + file.string()};
}

CtcTokenizerError CtcTokenizerError::missingFile(const std::string& name, const std::filesystem::path& folder) {
    return {CtcTokenizerErrorKind::missingFile, "Missing required file '" + name + "' in " + folder.string()};
}

CtcTokenizerError CtcTokenizerError::initializationFailed(std::exception_ptr underlying) {
    return {CtcTokenizerErrorKind::initializationFailed,
            "Failed to initialize HuggingFace tokenizer: " + platform::describeError(underlying), underlying};
}

CtcTokenizerError CtcTokenizerError::applicationSupportNotFound() {
    return {CtcTokenizerErrorKind::applicationSupportNotFound, "Application Support directory not found"};
}

} // namespace razeziruzer
