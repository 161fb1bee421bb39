#pragma once
// A rewriter that owns the view of the settings store it reads, so that the
// two live and die together.

#include "OstrelVirorez/App/AppRewritingSettings.hpp"
#include "OstrelVirorez/Claude/TextRewriting.hpp"

#include <functional>
#include <memory>

namespace ostrelvirorez {

class SettingsBoundRewriter final : public TextRewriting {
public:
    using MakeRewriter = std::function<std::unique_ptr<TextRewriting>(RewritingSettings&)>;

    SettingsBoundRewriter(AppSettings& settings, const MakeRewriter& makeRewriter);

    std::string rewrite(const std::string& rawText, const std::string& appBundleIdentifier,
                        const std::string& appName, const std::vector<std::string>& customVocabulary,
                        bool isClipboard, const std::optional<std::string>& clipboardContext,
                        const std::optional<std::string>& voiceInstructions,
                        const std::optional<RewritingProfile>& profileOverride,
                        const std::optional<std::string>& windowTitle) override;

private:
    std::unique_ptr<AppRewritingSettings> settings_;
    std::unique_ptr<TextRewriting> rewriter_;
};

} // namespace ostrelvirorez
