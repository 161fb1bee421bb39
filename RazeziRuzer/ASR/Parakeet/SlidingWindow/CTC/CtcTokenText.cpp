#include "RazeziRuzer/ASR/Parakeet/SlidingWindow/CTC/CtcTokenText.hpp"

#include "Platform/Text/Whitespace.hpp"
#include "RazeziRuzer/Shared/ASRConstants.hpp"

#include <string_view>

namespace razeziruzer {

namespace {
constexpr std::string_view wordStartMark = ASRConstants::sentencePieceWordBoundary;
}

std::string decodeCtcTokenIds(const std::vector<int>& tokenIds, const Vocabulary& vocabulary) {
    std::string joined;
    for (const int id : tokenIds) {
        if (const auto found = vocabulary.find(id); found != vocabulary.end()) joined += found->second;
    }
    std::string spaced;
    spaced.reserve(joined.size());
    for (std::size_t i = 0; i < joined.size();) {
        if (std::string_view(joined).substr(i, wordStartMark.size()) == wordStartMark) {
            spaced += ' ';
            i += wordStartMark.size();
        } else {
            spaced += joined[i++];
        }
    }
    return platform::text::trimHorizontalWhitespace(spaced);
}

} // namespace razeziruzer
