#include "OstrelVirorez/Claude/ClaudeRewriter.hpp"

#include "OstrelVirorez/Claude/ClaudeError.hpp"
#include "OstrelVirorez/Claude/RewritePromptBuilder.hpp"
#include "OstrelVirorez/Claude/RewritingProfileList.hpp"
#include "OstrelVirorez/Claude/RewritingSettings.hpp"
#include "OstrelVirorez/Model/KeychainHelper.hpp"
#include "Platform/Http/HttpTransport.hpp"
#include "Platform/Text/Utf8.hpp"
#include "Platform/Text/Whitespace.hpp"

#include <curl/curl.h>
#include <nlohmann/json.hpp>

#include <memory>

namespace ostrelvirorez {
namespace {

bool isValidURL(const std::string& text) {
    const std::unique_ptr<CURLU, decltype(&curl_url_cleanup)> url(curl_url(), &curl_url_cleanup);
    return url && curl_url_set(url.get(), CURLUPART_URL, text.c_str(), 0) == CURLUE_OK;
}

// The first content block's text; nothing when the reply has no usable one.
std::optional<std::string> firstText(const nlohmann::json& reply) {
    if (!reply.is_object()) return std::nullopt;
    const auto content = reply.find("content");
    if (content == reply.end() || !content->is_array() || content->empty()) return std::nullopt;
    for (const auto& block : *content) {
        if (!block.is_object()) return std::nullopt;
    }
    const auto text = content->front().find("text");
    if (text == content->front().end() || !text->is_string()) return std::nullopt;
    return text->get<std::string>();
}

} // namespace

ClaudeRewriter::ClaudeRewriter(Services services, std::string baseURL, std::string keychainKey)
    : services_(services), baseURL_(std::move(baseURL)), keychainKey_(std::move(keychainKey)) {}

std::string ClaudeRewriter::rewrite(const std::string& rawText, const std::string& appBundleIdentifier,
                                    const std::string& appName, const std::vector<std::string>& customVocabulary,
                                    bool isClipboard, const std::optional<std::string>& clipboardContext,
                                    const std::optional<std::string>& voiceInstructions,
                                    const std::optional<RewritingProfile>& profileOverride,
                                    const std::optional<std::string>& windowTitle) {
    const auto apiKey = KeychainHelper::load(keychainKey_, services_.keychain);
    if (!apiKey || apiKey->empty()) throw ClaudeError::noAPIKey();

    PromptInputs inputs{
        .profile = profileOverride ? *profileOverride
                                   : profile(services_.settings.rewritingProfiles(), appBundleIdentifier),
        .appName = appName,
        .customVocabulary = customVocabulary,
        .isClipboard = isClipboard,
        .clipboardContext = clipboardContext,
        .voiceInstructions = voiceInstructions,
        .windowTitle = windowTitle,
        .backtrackEnabled = services_.settings.backtrackEnabled(),
        .detectedLanguageName = isClipboard
                                    ? RewritePromptBuilder::detectedLanguageName(rawText, services_.languageRecognizer)
                                    : std::nullopt,
    };
    const nlohmann::json body{
        {"model", services_.settings.claudeModel()},
        {"max_tokens", maxTokens},
        {"thinking", {{"type", "disabled"}}},
        {"system", RewritePromptBuilder::instructions(inputs)},
        {"messages", nlohmann::json::array({{{"role", "user"}, {"content", rawText}}})},
    };

    if (!isValidURL(baseURL_)) throw ClaudeError::invalidURL();
    platform::HttpRequest request;
    request.method = "POST";
    request.url = baseURL_;
    request.headers.add("content-type", "application/json");
    request.headers.add("x-api-key", *apiKey);
    request.headers.add("anthropic-version", "2023-06-01");
    request.body = body.dump();
    request.timeout = requestTimeout;

    const auto response = services_.http.send(request, {});
    if (response.status <= 0) throw ClaudeError::invalidResponse();
    if (response.status != 200) {
        throw ClaudeError::apiError(response.status,
                                    platform::text::isValidUtf8(response.body) ? response.body : "Unknown");
    }
    const auto text = firstText(nlohmann::json::parse(response.body));
    if (!text) throw ClaudeError::parseError();
    return platform::text::trimWhitespaceAndNewlines(*text);
}

} // namespace ostrelvirorez
