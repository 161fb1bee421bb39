#pragma once
// The recording pipeline's one rewriter: hands every call, unchanged, to the
// hosted or the on-device rewriter as the provider setting says at that moment.

#include "OstrelVirorez/Claude/TextRewriting.hpp"

namespace ostrelvirorez {

class RewritingSettings;

class RewriterRouter final : public TextRewriting {
public:
    RewriterRouter(TextRewriting& claude, TextRewriting& local, RewritingSettings& settings);

    // Throws whatever the chosen rewriter throws; the other is never tried.
    std::string rewrite(const std::string& rawText, const std::string& appBundleIdentifier,
                        const std::string& appName, const std::vector<std::string>& customVocabulary,
                        bool isClipboard, const std::optional<std::string>& clipboardContext,
                        const std::optional<std::string>& voiceInstructions,
                        const std::optional<RewritingProfile>& profileOverride,
                        const std::optional<std::string>& windowTitle) override;

private:
    TextRewriting& claude_;
    TextRewriting& local_;
    RewritingSettings& settings_;
};

} // namespace ostrelvirorez
