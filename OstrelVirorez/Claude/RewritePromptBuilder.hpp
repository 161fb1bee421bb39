#pragma once
// Puts together the instruction text that steers a rewrite by a language
// model, and names the language of a text. The text to rewrite itself never
// goes into the instructions; it travels as the user message.

#include "OstrelVirorez/Claude/RewritingProfile.hpp"

#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace ostrelvirorez {

class LanguageRecognizer;

struct PromptInputs {
    RewritingProfile profile;
    std::string appName;
    std::vector<std::string> customVocabulary;
    bool isClipboard = false;
    std::optional<std::string> clipboardContext;
    std::optional<std::string> voiceInstructions;
    std::optional<std::string> windowTitle;
    bool backtrackEnabled = false;
    std::optional<std::string> detectedLanguageName;
};

struct RewritePromptBuilder {
    // The English name of the text's dominant language ("German"), or nothing
    // for a text of fewer than 12 characters once trimmed, or when the
    // recogniser is less than 55 % sure.
    static std::optional<std::string> detectedLanguageName(std::string_view text,
                                                           const LanguageRecognizer& recognizer);
    static std::optional<std::string> detectedLanguageName(std::string_view text);

    static std::string instructions(const PromptInputs& inputs);

    // Appended by the on-device rewriter so that its model does not answer
    // the dictated text as a chat message.
    static const std::string& onDeviceClosingBlock();
};

} // namespace ostrelvirorez
