#pragma once
// Keeps a decoder step in the hinted language's script: picks, among the
// joint network's top-K candidates, the most likely one written in that script.

#include "RazeziRuzer/Shared/Script.hpp"

#include <optional>
#include <string>
#include <string_view>
#include <unordered_map>
#include <vector>

namespace razeziruzer {

class TokenLanguageFilter {
public:
    struct Candidate {
        int tokenId = 0;
        // Softmax of the candidate's logit over all top-K logits.
        float probability = 0;
    };

    // Nothing when no candidate with vocabulary text is written in the script;
    // only the shorter of the two arrays' lengths is used.
    static std::optional<Candidate> filterTopK(const std::vector<int>& topKIds, const std::vector<float>& topKLogits,
                                               const std::unordered_map<int, std::string>& vocabulary,
                                               Script preferredScript);

    // The script test of a token: its text without the word-start markers.
    static bool tokenIsWrittenIn(std::string_view tokenText, Script script);
    static std::string withoutWordBoundaries(std::string_view tokenText);
};

} // namespace razeziruzer
