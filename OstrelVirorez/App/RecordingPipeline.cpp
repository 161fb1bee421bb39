#include "OstrelVirorez/App/RecordingPipeline.hpp"

#include "OstrelVirorez/App/AudioTranscribing.hpp"
#include "OstrelVirorez/App/ClipboardAccessing.hpp"
#include "OstrelVirorez/App/Log.hpp"
#include "OstrelVirorez/App/SmartTextFormatter.hpp"
#include "OstrelVirorez/App/WordBoundary.hpp"
#include "OstrelVirorez/Claude/RewritingProfileList.hpp"
#include "OstrelVirorez/Claude/TextRewriting.hpp"
#include "OstrelVirorez/Model/DictionaryService.hpp"
#include "OstrelVirorez/Model/SnippetService.hpp"
#include "OstrelVirorez/Model/VirorezError.hpp"
#include "Platform/Text/Characters.hpp"
#include "Platform/Text/StringSearch.hpp"
#include "Platform/Text/UnicodeProperties.hpp"
#include "Platform/Text/Whitespace.hpp"

#include <algorithm>
#include <cstdio>

namespace ostrelvirorez {

namespace {

constexpr std::size_t paragraphMinLength = 280;
constexpr std::size_t sentencesPerParagraph = 3;

std::string changeLine(const std::string& before, const std::string& after) {
    return "\"" + before + "\" \u2192 \"" + after + "\"";
}

std::string characters(const std::string& text) {
    return std::to_string(platform::text::characterCount(text)) + " chars";
}

void logIfChanged(const char* prefix, const std::string& before, const std::string& after) {
    if (before == after) return;
    logVirorezPrivate(prefix + characters(before) + " \u2192 " + characters(after), prefix + changeLine(before, after));
}

bool isStrippable(const std::string& character) {
    const auto scalar = platform::text::firstScalar(character);
    return (scalar && platform::text::isWhitespace(*scalar)) || WordBoundary::punctuation().contains(character);
}

std::vector<CleanupLanguage> orGermanAndEnglish(const std::vector<CleanupLanguage>& languages) {
    if (!languages.empty()) return languages;
    return {CleanupLanguage::german, CleanupLanguage::english};
}

std::string formatSeconds(double seconds) {
    char text[64];
    std::snprintf(text, sizeof text, "%.2f", seconds);
    return text;
}

} // namespace

RecordingPipeline::RecordingPipeline(Collaborators collaborators, platform::MainQueue& mainQueue, Executor executor)
    : collaborators_(collaborators), mainQueue_(mainQueue), executor_(std::move(executor)) {}

void RecordingPipeline::run(std::optional<platform::audio::PCMBuffer> buffer, Context context, PhaseHandler onPhase,
                            Completion completion) {
    if (!buffer) {
        fail(std::make_exception_ptr(VirorezError::noAudioData()), std::move(completion));
        return;
    }
    onPhase(Phase::transcribing);
    auto recording = std::make_shared<const platform::audio::PCMBuffer>(std::move(*buffer));
    const auto hint = context.languageHint;
    runOffMain<TranscriptionResult>(
        executor_, mainQueue_,
        [self = shared_from_this(), recording, hint] {
            return self->collaborators_.transcriber.transcribe(*recording, hint);
        },
        [self = shared_from_this(), context = std::move(context), onPhase = std::move(onPhase),
         completion = std::move(completion)](Attempt<TranscriptionResult> attempt) mutable {
            if (!attempt.succeeded()) {
                completion(Attempt<Outcome>::failure(attempt.error()));
                return;
            }
            const TranscriptionResult& result = attempt.value();
            std::string transcript = platform::text::trimWhitespaceAndNewlines(result.text);
            const std::string stage = "Transcribed (" + formatSeconds(result.duration) + "s): ";
            logVirorezPrivate(stage + characters(transcript), stage + transcript);
            self->finish(std::move(transcript), std::move(context), std::move(onPhase), std::move(completion));
        });
}

void RecordingPipeline::finish(std::string transcript, Context context, PhaseHandler onPhase,
                               Completion completion) {
    if (transcript.empty()) {
        fail(std::make_exception_ptr(VirorezError::emptyTranscription()), std::move(completion));
        return;
    }
    std::string text = cleanUp(std::move(transcript), context);
    switch (context.mode) {
    case DictationMode::raw:
        mainQueue_.post([completion = std::move(completion), text = std::move(text)] {
            completion(Attempt<Outcome>::success(Outcome::insert(text)));
        });
        return;
    case DictationMode::claude:
        rewriteForProfile(std::move(text), std::move(context), onPhase, std::move(completion));
        return;
    case DictationMode::clipboardRewrite:
        rewriteClipboard(std::move(text), std::move(context), onPhase, std::move(completion));
        return;
    }
}

std::string RecordingPipeline::cleanUp(std::string text, const Context& context) const {
    std::string corrected =
        collaborators_.dictionary.applyCorrections(text, context.engine, context.appBundleIdentifier);
    logIfChanged("Dictionary: ", text, corrected);
    text = std::move(corrected);

    if (context.fillerWordRemovalEnabled) {
        std::string filtered = FillerWordFilter::apply(text, orGermanAndEnglish(context.fillerWordRemovalLanguages));
        logIfChanged("Filler words: ", text, filtered);
        text = std::move(filtered);
    }
    if (context.spokenPunctuationEnabled) {
        std::string punctuated =
            SpokenPunctuation::apply(text, orGermanAndEnglish(context.spokenPunctuationLanguages));
        logIfChanged("Spoken punctuation: ", text, punctuated);
        text = std::move(punctuated);
    }
    std::string expanded = collaborators_.snippets.expand(text, context.appName);
    logIfChanged("Snippet expanded: ", text, expanded);
    text = std::move(expanded);

    std::string formatted = text;
    if (context.smartCapitalization) formatted = SmartTextFormatter::capitalize(formatted);
    if (context.smartParagraphs) {
        formatted = SmartTextFormatter::paragraph(formatted, paragraphMinLength, sentencesPerParagraph);
    }
    if (formatted != text) {
        logVirorez("Smart formatter: " + std::to_string(platform::text::characterCount(formatted)) + " chars");
    }
    return formatted;
}

void RecordingPipeline::rewriteForProfile(std::string text, Context context, const PhaseHandler& onPhase,
                                          Completion completion) {
    onPhase(Phase::rewriting);
    RewritingProfile chosen = profile(context.rewritingProfiles, context.appBundleIdentifier);
    if (auto trigger = resolveTriggerWordProfile(text, context.rewritingProfiles)) {
        auto& [stripped, triggered] = *trigger;
        const std::string stage = "Trigger word matched \u2192 profile '" + triggered.name + "'";
        logVirorezPrivate(stage, stage + ": " + changeLine(text, stripped));
        chosen = std::move(triggered);
        text = std::move(stripped);
    }
    std::optional<std::string> clipboardContext;
    if (chosen.includeClipboardContext) clipboardContext = collaborators_.clipboard.readText();
    std::optional<std::string> windowTitle;
    if (chosen.includeWindowTitleContext) windowTitle = context.windowTitle;

    runOffMain<std::string>(
        executor_, mainQueue_,
        [self = shared_from_this(), text, context, clipboardContext, chosen, windowTitle] {
            return self->collaborators_.rewriter.rewrite(text, context.appBundleIdentifier, context.appName,
                                                         context.customVocabulary, false, clipboardContext,
                                                         std::nullopt, chosen, windowTitle);
        },
        [text, completion = std::move(completion)](Attempt<std::string> attempt) {
            if (attempt.succeeded()) {
                logVirorezPrivate("Claude rewritten: " + characters(attempt.value()),
                                  "Claude rewritten: " + attempt.value());
                completion(Attempt<Outcome>::success(Outcome::insert(attempt.value())));
                return;
            }
            logVirorez("Claude rewrite failed, using raw text: " + describeError(attempt.error()));
            completion(Attempt<Outcome>::success(Outcome::insert(text)));
        });
}

void RecordingPipeline::rewriteClipboard(std::string instructions, Context context, const PhaseHandler& onPhase,
                                         Completion completion) {
    const std::string clipboardText = collaborators_.clipboard.readText().value_or("");
    if (platform::text::trimWhitespaceAndNewlines(clipboardText).empty()) {
        fail(std::make_exception_ptr(VirorezError::clipboardEmpty()), std::move(completion));
        return;
    }
    onPhase(Phase::rewritingClipboard);
    const std::string clipboardLength = ", clipboard: " + characters(clipboardText);
    logVirorezPrivate("Clipboard rewrite \u2014 instructions: " + characters(instructions) + clipboardLength,
                      "Clipboard rewrite \u2014 instructions: " + instructions + clipboardLength);
    runOffMain<std::string>(
        executor_, mainQueue_,
        [self = shared_from_this(), instructions, clipboardText, context = std::move(context)] {
            return self->collaborators_.rewriter.rewrite(clipboardText, context.appBundleIdentifier,
                                                         context.appName, context.customVocabulary, true,
                                                         std::nullopt, instructions, std::nullopt, std::nullopt);
        },
        [self = shared_from_this(), completion = std::move(completion)](Attempt<std::string> attempt) {
            if (!attempt.succeeded()) {
                completion(Attempt<Outcome>::failure(attempt.error()));
                return;
            }
            self->collaborators_.clipboard.writeText(attempt.value());
            completion(Attempt<Outcome>::success(Outcome::clipboardRewritten(attempt.value())));
        });
}

void RecordingPipeline::fail(std::exception_ptr error, Completion completion) {
    mainQueue_.post([completion = std::move(completion), error = std::move(error)] {
        completion(Attempt<Outcome>::failure(error));
    });
}

std::optional<std::pair<std::string, RewritingProfile>>
RecordingPipeline::resolveTriggerWordProfile(const std::string& in, const std::vector<RewritingProfile>& profiles) {
    std::vector<std::pair<std::string, const RewritingProfile*>> candidates;
    for (const auto& candidate : profiles) {
        for (const auto& word : candidate.triggerWords) {
            if (!word.empty()) candidates.emplace_back(word, &candidate);
        }
    }
    std::stable_sort(candidates.begin(), candidates.end(), [](const auto& left, const auto& right) {
        return platform::text::characterCount(left.first) > platform::text::characterCount(right.first);
    });
    for (const auto& [word, owner] : candidates) {
        for (const bool atStart : {true, false}) {
            if (auto stripped = stripAnchoredWord(word, in, atStart)) {
                return std::make_pair(std::move(*stripped), *owner);
            }
        }
    }
    return std::nullopt;
}

namespace {

std::optional<platform::text::ByteRange> anchoredMatch(const std::string& word, const std::string& text,
                                                        bool atStart) {
    const platform::text::SearchOptions options{.caseInsensitive = true};
    if (atStart) {
        auto match = platform::text::findFirst(text, word, options);
        if (match && match->begin == 0) return match;
        return std::nullopt;
    }
    // Searching backwards: the match that ends where the text ends, starting
    // as late as possible.
    const auto ranges = platform::text::characterRanges(text);
    for (auto range = ranges.rbegin(); range != ranges.rend(); ++range) {
        auto match = platform::text::findFirst(text, word, options, range->begin);
        if (match && match->begin == range->begin && match->end == text.size()) return match;
    }
    return std::nullopt;
}

} // namespace

std::optional<std::string> RecordingPipeline::stripAnchoredWord(const std::string& word, const std::string& from,
                                                                bool atStart) {
    const auto match = anchoredMatch(word, from, atStart);
    if (!match) return std::nullopt;
    const auto neighbour = atStart ? platform::text::characterAfter(from, match->end)
                                   : platform::text::characterBefore(from, match->begin);
    if (!WordBoundary::isBoundary(neighbour)) return std::nullopt;

    std::string rest = atStart ? from.substr(match->end) : from.substr(0, match->begin);
    while (!rest.empty()) {
        const auto edge = atStart ? platform::text::firstCharacter(rest) : platform::text::lastCharacter(rest);
        if (!edge || !isStrippable(*edge)) break;
        rest = atStart ? rest.substr(edge->size()) : rest.substr(0, rest.size() - edge->size());
    }
    return rest;
}

} // namespace ostrelvirorez
