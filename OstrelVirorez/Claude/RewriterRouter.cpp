#include "OstrelVirorez/Claude/RewriterRouter.hpp"

#include "OstrelVirorez/Claude/RewritingSettings.hpp"

namespace ostrelvirorez {

RewriterRouter::RewriterRouter(TextRewriting& claude, TextRewriting& local, RewritingSettings& settings)
    : claude_(claude), local_(local), settings_(settings) {}

std::string RewriterRouter::rewrite(const std::string& rawText, const std::string& appBundleIdentifier,
                                    const std::string& appName, const std::vector<std::string>& customVocabulary,
                                    bool isClipboard, const std::optional<std::string>& clipboardContext,
                                    const std::optional<std::string>& voiceInstructions,
                                    const std::optional<RewritingProfile>& profileOverride,
                                    const std::optional<std::string>& windowTitle) {
    TextRewriting& chosen = settings_.rewriteProvider() == RewriteProvider::local ? local_ : claude_;
    return chosen.rewrite(rawText, appBundleIdentifier, appName, customVocabulary, isClipboard, clipboardContext,
                          voiceInstructions, profileOverride, windowTitle);
}

} // namespace ostrelvirorez
