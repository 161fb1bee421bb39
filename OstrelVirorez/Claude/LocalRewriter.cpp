#include "OstrelVirorez/Claude/LocalRewriter.hpp"

#include "OstrelVirorez/Claude/LocalRewriterError.hpp"
#include "OstrelVirorez/Claude/RewritePromptBuilder.hpp"
#include "OstrelVirorez/Claude/RewritingProfileList.hpp"
#include "OstrelVirorez/Claude/RewritingSettings.hpp"
#include "OstrelVirorez/Claude/SystemLanguageModel.hpp"
#include "Platform/Core/Error.hpp"
#include "Platform/Text/Whitespace.hpp"

#include <exception>

namespace ostrelvirorez {

LocalRewriter::LocalRewriter(RewritingSettings& settings, SystemLanguageModel& model,
                             const LanguageRecognizer& languageRecognizer)
    : settings_(settings), model_(model), languageRecognizer_(languageRecognizer) {}

std::string LocalRewriter::rewrite(const std::string& rawText, const std::string& appBundleIdentifier,
                                   const std::string& appName, const std::vector<std::string>& customVocabulary,
                                   bool isClipboard, const std::optional<std::string>& clipboardContext,
                                   const std::optional<std::string>& voiceInstructions,
                                   const std::optional<RewritingProfile>& profileOverride,
                                   const std::optional<std::string>& windowTitle) {
    if (!model_.isAvailable()) throw LocalRewriterError::modelUnavailable();

    const PromptInputs inputs{
        .profile = profileOverride ? *profileOverride : profile(settings_.rewritingProfiles(), appBundleIdentifier),
        .appName = appName,
        .customVocabulary = customVocabulary,
        .isClipboard = isClipboard,
        .clipboardContext = clipboardContext,
        .voiceInstructions = voiceInstructions,
        .windowTitle = windowTitle,
        .backtrackEnabled = settings_.backtrackEnabled(),
        .detectedLanguageName = RewritePromptBuilder::detectedLanguageName(rawText, languageRecognizer_),
    };
    const auto instructions = RewritePromptBuilder::instructions(inputs) + RewritePromptBuilder::onDeviceClosingBlock();

    std::string answer;
    try {
        const auto session = model_.makeSession(instructions);
        answer = session->respond(rawText);
    } catch (const platform::Error& error) {
        throw LocalRewriterError::generationFailed(error.description());
    } catch (const std::exception& error) {
        throw LocalRewriterError::generationFailed(error.what());
    }
    return platform::text::trimWhitespaceAndNewlines(answer);
}

} // namespace ostrelvirorez
