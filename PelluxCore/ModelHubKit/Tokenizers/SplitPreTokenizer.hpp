#pragma once
// Splits text around the matches of a pattern. The behaviour says where the
// matched text goes: dropped, a word of its own, glued to the word before or
// after, or (runs of matches) one word together; `invert` swaps the roles of
// matches and the text between them.

#include "PelluxCore/ModelHubKit/Tokenizers/PreTokenizer.hpp"
#include "Platform/Text/Regex.hpp"

namespace modelhubkit {

enum class SplitBehavior { removed, isolated, mergedWithPrevious, mergedWithNext, contiguous };

class SplitPreTokenizer final : public PreTokenizer {
public:
    SplitPreTokenizer(platform::Regex pattern, SplitBehavior behavior, bool invert = false);

    // The "Split" object: "pattern", "behavior" ("Removed", "Isolated",
    // "MergedWithPrevious", "MergedWithNext", "Contiguous") and "invert".
    static std::unique_ptr<SplitPreTokenizer> fromJson(const nlohmann::json& object);

    void split(std::string_view piece, bool atTextStart, std::vector<std::string>& words) const override;

private:
    platform::Regex pattern_;
    SplitBehavior behavior_;
    bool invert_;
};

} // namespace modelhubkit
