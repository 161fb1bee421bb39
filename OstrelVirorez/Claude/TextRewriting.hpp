#pragma once
// What the recording pipeline rewrites through: the hosted rewriter, the
// on-device rewriter, and the router that chooses between them. Blocking;
// throws the rewriter's own error.

#include "OstrelVirorez/Claude/RewritingProfile.hpp"

#include <optional>
#include <string>
#include <vector>

namespace ostrelvirorez {

class TextRewriting {
public:
    virtual ~TextRewriting() = default;

    virtual std::string rewrite(const std::string& rawText, const std::string& appBundleIdentifier,
                                const std::string& appName, const std::vector<std::string>& customVocabulary,
                                bool isClipboard, const std::optional<std::string>& clipboardContext,
                                const std::optional<std::string>& voiceInstructions,
                                const std::optional<RewritingProfile>& profileOverride,
                                const std::optional<std::string>& windowTitle) = 0;
};

} // namespace ostrelvirorez
