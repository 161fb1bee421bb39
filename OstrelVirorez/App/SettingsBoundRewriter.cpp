#include "OstrelVirorez/App/SettingsBoundRewriter.hpp"

namespace ostrelvirorez {

SettingsBoundRewriter::SettingsBoundRewriter(AppSettings& settings, const MakeRewriter& makeRewriter)
    : settings_(std::make_unique<AppRewritingSettings>(settings)), rewriter_(makeRewriter(*settings_)) {}

std::string SettingsBoundRewriter::rewrite(const std::string& rawText, const std::string& appBundleIdentifier,
                                           const std::string& appName,
                                           const std::vector<std::string>& customVocabulary, bool isClipboard,
                                           const std::optional<std::string>& clipboardContext,
                                           const std::optional<std::string>& voiceInstructions,
                                           const std::optional<RewritingProfile>& profileOverride,
                                           const std::optional<std::string>& windowTitle) {
    return rewriter_->rewrite(rawText, appBundleIdentifier, appName, customVocabulary, isClipboard, clipboardContext,
                              voiceInstructions, profileOverride, windowTitle);
}

} // namespace ostrelvirorez
