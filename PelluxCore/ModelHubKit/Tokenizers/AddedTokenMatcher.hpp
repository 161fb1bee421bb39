#pragma once
// Splits text at occurrences of a set of added tokens: at each position the
// longest token that fits (and whose single-word rule holds) is taken, left to right.

#include "PelluxCore/ModelHubKit/Tokenizers/AddedToken.hpp"

#include <array>
#include <functional>
#include <string>
#include <string_view>
#include <unordered_map>
#include <vector>

namespace modelhubkit {

class AddedTokenMatcher {
public:
    struct Segment {
        std::string_view text;     // into the text that was split
        const AddedToken* token;   // the matched token, or null for text between tokens
    };

    // The tokens must outlive the matcher.
    void add(const AddedToken& token);
    bool empty() const { return tokens_.empty(); }

    // Segments in text order; text segments are never empty.
    std::vector<Segment> split(std::string_view text) const;

private:
    struct Hash {
        using is_transparent = void;
        std::size_t operator()(std::string_view text) const { return std::hash<std::string_view>{}(text); }
    };

    const AddedToken* longestAt(std::string_view text, std::size_t position) const;

    std::unordered_map<std::string_view, const AddedToken*, Hash, std::equal_to<>> tokens_;
    std::vector<std::size_t> lengths_; // distinct content lengths, longest first
    std::array<bool, 256> startsToken_{};
};

} // namespace modelhubkit
