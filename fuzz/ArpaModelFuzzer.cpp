// ARPA back-off language models, read from a file as the vocabulary booster
// reads them, then scored on a few words.

#include "RazeziRuzer/ASR/Parakeet/SlidingWindow/CTC/ARPALanguageModel.hpp"
#include "fuzz/FuzzInputFile.hpp"

#include <cstddef>
#include <cstdint>
#include <exception>

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    try {
        const auto model = razeziruzer::ARPALanguageModel::load(fuzzing::writeInputFile(data, size, "model.arpa"));
        model.score("hello", std::nullopt);
        model.score("world", std::string("hello"));
        model.score("", std::string(""));
    } catch (const std::exception&) {
    }
    return 0;
}
