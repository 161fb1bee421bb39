#pragma once
// What the punctuation commit layer reports after each change: the stable
// committed text, the tentative ghost tail, both together, and why text was
// last committed.

#include <chrono>
#include <optional>
#include <string>

namespace razeziruzer {

struct CommitReason {
    enum class Kind { punctuation, debounceTimeout, manualCommit, endOfUtterance };

    Kind kind = Kind::manualCommit;
    std::string mark;  // the punctuation character (one grapheme) for `punctuation`

    static CommitReason punctuation(std::string character) { return {Kind::punctuation, std::move(character)}; }
    static CommitReason debounceTimeout() { return {Kind::debounceTimeout, {}}; }
    static CommitReason manualCommit() { return {Kind::manualCommit, {}}; }
    static CommitReason endOfUtterance() { return {Kind::endOfUtterance, {}}; }

    bool operator==(const CommitReason&) const = default;
};

struct CommitLayerUpdate {
    std::string committedText;
    std::string ghostText;
    std::string totalText;
    std::optional<CommitReason> lastCommitReason;
    std::chrono::system_clock::time_point timestamp;

    // The total is the committed text followed directly by the ghost text.
    static CommitLayerUpdate make(std::string committed, std::string ghost, std::optional<CommitReason> reason);
};

} // namespace razeziruzer
