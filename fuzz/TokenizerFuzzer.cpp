// Tokenizer files: the input is "tokenizer.json" read from a model folder
// (beside a fixed configuration), built leniently and strictly, and used to
// encode and decode a little text.

#include "PelluxCore/ModelHubKit/Tokenizers/AutoTokenizer.hpp"
#include "fuzz/FuzzInputFile.hpp"

#include <cstddef>
#include <cstdint>
#include <exception>
#include <fstream>

namespace {

void writeConfiguration(const std::filesystem::path& folder) {
    std::ofstream(folder / "tokenizer_config.json") << R"({"tokenizer_class": "WhisperTokenizerFast", "eos_token": "<|endoftext|>"})";
}

void exercise(const std::filesystem::path& folder, bool strict) {
    try {
        const auto tokenizer = modelhubkit::AutoTokenizer::from(folder, strict);
        const auto tokens = tokenizer->encode("Hello wörld, ünïcode 🎉 12345\n");
        tokenizer->decode(tokens, true);
        tokenizer->decode(std::vector<int>{0, 1, 2, 50257, -1, 1 << 30}, false);
    } catch (const std::exception&) {
    }
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const auto file = fuzzing::writeInputFile(data, size, "tokenizer.json");
    const auto folder = file.parent_path();
    static const bool configured = (writeConfiguration(folder), true);
    (void)configured;
    exercise(folder, false);
    exercise(folder, true);
    return 0;
}
