#pragma once
// Rewrites a text with the on-device language model, so that no text leaves
// the machine: the same instruction text as the hosted rewriter plus a
// closing block, a fresh conversation per call, the answer trimmed.

#include "OstrelVirorez/Claude/TextRewriting.hpp"

namespace ostrelvirorez {

class LanguageRecognizer;
class RewritingSettings;
class SystemLanguageModel;

class LocalRewriter final : public TextRewriting {
public:
    LocalRewriter(RewritingSettings& settings, SystemLanguageModel& model, const LanguageRecognizer& languageRecognizer);

    // Throws LocalRewriterError.
    std::string rewrite(const std::string& rawText, const std::string& appBundleIdentifier,
                        const std::string& appName, const std::vector<std::string>& customVocabulary,
                        bool isClipboard, const std::optional<std::string>& clipboardContext,
                        const std::optional<std::string>& voiceInstructions,
                        const std::optional<RewritingProfile>& profileOverride,
                        const std::optional<std::string>& windowTitle) override;

private:
    RewritingSettings& settings_;
    SystemLanguageModel& model_;
    const LanguageRecognizer& languageRecognizer_;
};

} // namespace ostrelvirorez
