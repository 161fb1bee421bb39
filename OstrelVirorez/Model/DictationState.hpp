#pragma once
// The single published state of one dictation, as every display shows it.
// Only recording and transcribing carry the mode, only error its message;
// states compare by case and carried value and offer nothing else.

#include "OstrelVirorez/Model/DictationMode.hpp"

#include <optional>
#include <string>
#include <utility>

namespace ostrelvirorez {

class DictationState {
public:
    enum class Kind { recording, transcribing, error, idle, rewriting, rewritingClipboard, injecting, done };

    static DictationState recording(DictationMode mode) { return {Kind::recording, mode, {}}; }
    static DictationState transcribing(DictationMode mode) { return {Kind::transcribing, mode, {}}; }
    static DictationState error(std::string message) { return {Kind::error, {}, std::move(message)}; }
    static DictationState idle() { return {Kind::idle, {}, {}}; }
    static DictationState rewriting() { return {Kind::rewriting, {}, {}}; }
    static DictationState rewritingClipboard() { return {Kind::rewritingClipboard, {}, {}}; }
    static DictationState injecting() { return {Kind::injecting, {}, {}}; }
    static DictationState done() { return {Kind::done, {}, {}}; }

    // The initial state.
    DictationState() = default;

    Kind kind() const { return kind_; }
    // The mode of recording and transcribing; absent in every other state.
    std::optional<DictationMode> mode() const { return mode_; }
    // The text of the error state; absent in every other state.
    std::optional<std::string> message() const;

    bool operator==(const DictationState&) const = default;

private:
    DictationState(Kind kind, std::optional<DictationMode> mode, std::string message)
        : kind_(kind), mode_(mode), message_(std::move(message)) {}

    Kind kind_ = Kind::idle;
    std::optional<DictationMode> mode_;
    std::string message_;
};

} // namespace ostrelvirorez
