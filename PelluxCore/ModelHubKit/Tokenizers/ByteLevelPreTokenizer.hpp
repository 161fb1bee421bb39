#pragma once
// Byte-level pre-tokenization: optionally a leading space, then the split into
// contractions, letter runs, number runs, other symbols and white space, then
// every byte of each word mapped to its byte-level character.

#include "PelluxCore/ModelHubKit/Tokenizers/PreTokenizer.hpp"
#include "Platform/Text/Regex.hpp"

#include <optional>

namespace modelhubkit {

class ByteLevelPreTokenizer final : public PreTokenizer {
public:
    ByteLevelPreTokenizer(bool addPrefixSpace, bool useRegex);

    void split(std::string_view piece, bool atTextStart, std::vector<std::string>& words) const override;

private:
    void appendMapped(std::string_view word, std::vector<std::string>& words) const;

    bool addPrefixSpace_;
    std::optional<platform::Regex> wordPattern_;
};

} // namespace modelhubkit
