// The JSON files of downloaded recogniser models, and the custom vocabulary:
// the same bytes read as a streaming vocabulary, a streaming model's
// metadata, a word-spotting tokenizer, a spotting model's vocabulary, a
// language-model vocabulary and a custom vocabulary.

#include "RazeziRuzer/ASR/Parakeet/ParakeetLanguageModels.hpp"
#include "RazeziRuzer/ASR/Parakeet/SlidingWindow/CustomVocabulary/CustomVocabularyContext.hpp"
#include "RazeziRuzer/ASR/Parakeet/SlidingWindow/CustomVocabulary/WordSpotting/BpeTokenizer.hpp"
#include "RazeziRuzer/ASR/Parakeet/SlidingWindow/CustomVocabulary/WordSpotting/CtcModels.hpp"
#include "RazeziRuzer/ASR/Parakeet/Streaming/Nemotron/NemotronStreamingConfig.hpp"
#include "RazeziRuzer/ASR/Parakeet/Streaming/Tokenizer.hpp"
#include "fuzz/FuzzInputFile.hpp"

#include <cstddef>
#include <cstdint>
#include <exception>
#include <filesystem>
#include <functional>

namespace {

void survive(const std::function<void()>& read) {
    try {
        read();
    } catch (const std::exception&) {
    }
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    using namespace razeziruzer;
    const auto folder = fuzzing::writeInputFile(data, size, "input.json").parent_path();
    for (const char* name : {"vocab.json", "metadata.json", "tokenizer.json", "vocabulary.json"}) {
        std::filesystem::copy_file(folder / "input.json", folder / name,
                                   std::filesystem::copy_options::overwrite_existing);
    }
    survive([&] {
        const Tokenizer tokenizer(folder / "vocab.json");
        tokenizer.decode({0, 1, 2, -1});
    });
    survive([&] { NemotronStreamingConfig::from(folder / "metadata.json"); });
    survive([&] { BpeTokenizer::load(folder).encode("hello wörld", false, true); });
    survive([&] { CtcModels::loadVocabulary(folder); });
    survive([&] { ParakeetLanguageModelsSupport::readVocabulary(folder / "vocab.json"); });
    survive([&] { CustomVocabularyContext::load(folder / "vocabulary.json"); });
    return 0;
}
