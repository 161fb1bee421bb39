#pragma once
// Two-way map between token texts and ids, looked up by text without copying it.

#include <cstddef>
#include <functional>
#include <optional>
#include <string>
#include <string_view>
#include <unordered_map>
#include <vector>

namespace modelhubkit {

class Vocabulary {
public:
    // Throws TokenizerError (malformedTokenizer) for a negative or absurdly
    // large id. A text already present keeps its first id; an id given twice
    // names the text added last.
    void add(std::string token, int id);

    std::optional<int> id(std::string_view token) const;
    const std::string* token(int id) const;
    bool contains(std::string_view token) const { return id(token).has_value(); }
    std::size_t size() const { return ids_.size(); }

private:
    struct Hash {
        using is_transparent = void;
        std::size_t operator()(std::string_view text) const { return std::hash<std::string_view>{}(text); }
    };

    std::unordered_map<std::string, int, Hash, std::equal_to<>> ids_;
    std::vector<const std::string*> tokens_; // by id; points at keys of ids_, whose nodes never move
};

} // namespace modelhubkit
