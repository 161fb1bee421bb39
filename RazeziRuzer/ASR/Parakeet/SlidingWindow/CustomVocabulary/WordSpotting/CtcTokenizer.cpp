#include "RazeziRuzer/ASR/Parakeet/SlidingWindow/CustomVocabulary/WordSpotting/CtcTokenizer.hpp"

#include "Platform/Files/XdgDirectories.hpp"
#include "RazeziRuzer/ASR/Parakeet/SlidingWindow/CustomVocabulary/WordSpotting/CtcTokenizerError.hpp"

namespace razeziruzer {

CtcTokenizer CtcTokenizer::load(const std::filesystem::path& folder) {
    const auto file = folder / "tokenizer.json";
    if (!std::filesystem::exists(file)) throw CtcTokenizerError::tokenizerNotFound(file);
    try {
        return CtcTokenizer(BpeTokenizer::load(folder));
    } catch (...) {
        throw CtcTokenizerError::initializationFailed(std::current_exception());
    }
}

CtcTokenizer CtcTokenizer::load() { return load(getCtcModelDirectory()); }

std::filesystem::path CtcTokenizer::getCtcModelDirectory() {
    const auto dataHome = platform::files::dataHome();
    if (dataHome.empty()) throw CtcTokenizerError::applicationSupportNotFound();
    return dataHome / "RazeziRuzer" / "Models" / "parakeet-ctc-110m-coreml";
}

std::vector<int> CtcTokenizer::encode(const std::string& text) const {
    return bpeTokenizer_.encode(text, false, true);
}

std::vector<int> CtcTokenizer::encodeWithoutBoundary(const std::string& text) const {
    return bpeTokenizer_.encode(text, false, false);
}

std::vector<std::vector<int>> CtcTokenizer::encodeVariants(const std::string& text) const {
    auto marked = encode(text);
    auto plain = encodeWithoutBoundary(text);
    if (marked == plain) return {std::move(marked)};
    return {std::move(marked), std::move(plain)};
}

} // namespace razeziruzer
