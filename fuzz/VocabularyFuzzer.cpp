// Recogniser vocabulary files: a JSON array of pieces or an object keyed by
// token ids.

#include "RazeziRuzer/ASR/Parakeet/ParakeetVocabulary.hpp"

#include <cstddef>
#include <cstdint>
#include <exception>
#include <string_view>

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    try {
        razeziruzer::ParakeetVocabulary::parse(std::string_view(reinterpret_cast<const char*>(data), size));
    } catch (const std::exception&) {
    }
    return 0;
}
