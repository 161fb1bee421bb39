#pragma once
// A tiny hand-made "tokenizer.json" for the tokenizer tests.

#include "tests/Support/TemporaryDirectory.hpp"

#include <nlohmann/json.hpp>

#include <string>

namespace tokenizerfixture {

inline const std::string mark = "\xE2\x96\x81";

// Letters a to z at ids 1 to 26, the mark at 27, "<unk>" at 0, merges that
// build the pieces mark+"h", "he", "ll" and mark+"he".
inline nlohmann::json tinyTokenizer() {
    nlohmann::json vocab = nlohmann::json::object();
    vocab["<unk>"] = 0;
    for (char c = 'a'; c <= 'z'; ++c) vocab[std::string(1, c)] = c - 'a' + 1;
    vocab[mark] = 27;
    vocab["he"] = 28;
    vocab["ll"] = 29;
    vocab[mark + "he"] = 30;
    vocab["aa"] = 31;
    return {{"version", "1.0"},
            {"model", {{"type", "BPE"}, {"vocab", vocab},
                       {"merges", {"h e", "l l", mark + " he", "a a"}}}},
            {"added_tokens", {{{"content", "<pad>"}, {"id", 40}}, {{"content", "ll"}, {"id", 41}}}}};
}

inline std::filesystem::path writeTokenizer(const testsupport::TemporaryDirectory& folder, const nlohmann::json& json) {
    folder.write("tokenizer.json", json.dump());
    return folder.path();
}

} // namespace tokenizerfixture
