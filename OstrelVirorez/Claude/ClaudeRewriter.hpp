#pragma once
// Rewrites a text with the hosted model: one request to its messages
// endpoint with the instruction text as "system" and the text to rewrite as
// the only user message; the answer is the first text block, trimmed.

#include "OstrelVirorez/Claude/TextRewriting.hpp"

#include <chrono>
#include <string>

namespace platform {
class HttpTransport;
class Keychain;
} // namespace platform

namespace ostrelvirorez {

class LanguageRecognizer;
class RewritingSettings;

class ClaudeRewriter final : public TextRewriting {
public:
    static constexpr const char* defaultBaseURL = "https://api.anthropic.com/v1/messages";
    static constexpr std::chrono::seconds requestTimeout{15};
    static constexpr int maxTokens = 2048;

    struct Services {
        RewritingSettings& settings;
        platform::HttpTransport& http;
        platform::Keychain& keychain;
        const LanguageRecognizer& languageRecognizer;
    };

    // `baseURL` is the endpoint itself; nothing is appended to it.
    ClaudeRewriter(Services services, std::string baseURL = defaultBaseURL, std::string keychainKey = "claudeAPIKey");

    const std::string& baseURL() const { return baseURL_; }
    const std::string& keychainKey() const { return keychainKey_; }

    // Throws ClaudeError, the transport's HttpError, or the JSON parser's
    // error for a malformed reply.
    std::string rewrite(const std::string& rawText, const std::string& appBundleIdentifier,
                        const std::string& appName, const std::vector<std::string>& customVocabulary,
                        bool isClipboard, const std::optional<std::string>& clipboardContext,
                        const std::optional<std::string>& voiceInstructions,
                        const std::optional<RewritingProfile>& profileOverride,
                        const std::optional<std::string>& windowTitle) override;

private:
    Services services_;
    std::string baseURL_;
    std::string keychainKey_;
};

} // namespace ostrelvirorez
