#include "OstrelVirorez/App/RecordingPipeline.hpp"

#include "OstrelVirorez/App/AudioTranscribing.hpp"
#include "OstrelVirorez/Model/DictionaryService.hpp"
#include "OstrelVirorez/Model/SnippetService.hpp"
#include "OstrelVirorez/Model/VirorezError.hpp"
#include "Platform/Concurrency/ManualMainQueue.hpp"
#include "Platform/Core/Logger.hpp"
#include "Platform/Defaults/UserDefaults.hpp"
#include "tests/OstrelVirorez/State/StateFakes.hpp"
#include "tests/OstrelVirorez/State/StateTestSupport.hpp"
#include "tests/Support/TemporaryDirectory.hpp"

#include <gtest/gtest.h>

#include <algorithm>

namespace ostrelvirorez::testing {
namespace {

using Phase = RecordingPipeline::Phase;
using Outcome = RecordingPipeline::Outcome;

class FakeTranscriber final : public AudioTranscribing {
public:
    TranscriptionResult transcribe(const platform::audio::PCMBuffer&,
                                   const std::optional<std::string>& languageHint) override {
        hints.push_back(languageHint);
        if (failure) throw std::runtime_error(*failure);
        return {text, std::nullopt, std::nullopt, 1.234, std::nullopt};
    }

    std::string text = "hello world";
    std::optional<std::string> failure;
    std::vector<std::optional<std::string>> hints;
};

RewritingProfile makeProfile(const std::string& name, std::vector<std::string> triggerWords, bool isDefault = false) {
    RewritingProfile made = RewritingProfile::fallback();
    made.name = name;
    made.triggerWords = std::move(triggerWords);
    made.isDefault = isDefault;
    made.assignedApps.clear();
    return made;
}

class RecordingPipelineTest : public ::testing::Test {
protected:
    struct Run {
        std::vector<Phase> phases;
        std::optional<Outcome> outcome;
        std::string error;
    };

    RecordingPipelineTest()
        : defaults(folder / "defaults.json"), dictionary(defaults),
          snippets(defaults, [] { return std::optional<std::string>(); },
                   [] { return std::chrono::system_clock::now(); }),
          pipeline(std::make_shared<RecordingPipeline>(
              RecordingPipeline::Collaborators{transcriber, dictionary, snippets, rewriter, clipboard}, queue,
              work.executor())) {
        context.appName = "Mail";
        context.appBundleIdentifier = "com.example.mail";
        context.customVocabulary = {"Ostrel"};
        context.languageHint = "en";
        context.windowTitle = "Inbox";
    }

    Run run(std::optional<platform::audio::PCMBuffer> buffer = makeRecording()) {
        Run result;
        bool finished = false;
        pipeline->run(
            std::move(buffer), context, [&](Phase phase) { result.phases.push_back(phase); },
            [&](Attempt<Outcome> attempt) {
                finished = true;
                if (attempt.succeeded()) {
                    result.outcome = attempt.value();
                } else {
                    result.error = describeError(attempt.error());
                }
            });
        queue.runUntilIdle();
        EXPECT_TRUE(finished);
        return result;
    }

    testsupport::TemporaryDirectory folder;
    platform::ManualMainQueue queue;
    TestExecutor work;
    platform::ScopedLogCapture logs;
    platform::UserDefaults defaults;
    DictionaryService dictionary;
    SnippetService snippets;
    FakeTranscriber transcriber;
    FakeRewriter rewriter;
    FakeClipboard clipboard;
    std::shared_ptr<RecordingPipeline> pipeline;
    RecordingPipeline::Context context;
};

TEST_F(RecordingPipelineTest, FailuresBeforeAnyTextReportTheirPhasesAndTexts) {
    const Run missing = run(std::nullopt);
    EXPECT_EQ(missing.error, "No audio data recorded");
    EXPECT_TRUE(missing.phases.empty());

    transcriber.text = "  \n\t \r\n ";
    const Run silent = run();
    EXPECT_EQ(silent.error, "No speech detected");
    EXPECT_EQ(silent.phases, std::vector<Phase>{Phase::transcribing});

    transcriber.failure = "engine exploded";
    const Run failed = run();
    EXPECT_EQ(failed.error, "engine exploded");
    EXPECT_EQ(failed.phases, std::vector<Phase>{Phase::transcribing});
}

TEST_F(RecordingPipelineTest, RawModeInsertsTheTrimmedTranscriptAndLogsIt) {
    transcriber.text = "  hello world \n";
    const Run result = run();
    ASSERT_TRUE(result.outcome);
    EXPECT_EQ(*result.outcome, Outcome::insert("hello world"));
    EXPECT_EQ(result.phases, std::vector<Phase>{Phase::transcribing});
    EXPECT_EQ(transcriber.hints, std::vector<std::optional<std::string>>{"en"});
    EXPECT_TRUE(logs.contains("Transcribed (1.23s): hello world"));
    EXPECT_TRUE(rewriter.calls.empty());
}

TEST_F(RecordingPipelineTest, OnlyFillerWordsLeaveAnEmptyInsertNotAnError) {
    context.fillerWordRemovalEnabled = true;
    transcriber.text = "ähm um ähm";
    const Run result = run();
    ASSERT_TRUE(result.outcome) << result.error;
    EXPECT_EQ(*result.outcome, Outcome::insert(""));
}

TEST_F(RecordingPipelineTest, StagesRunOnlyWhenSwitchedOnAndEmptyLanguageListsMeanGermanAndEnglish) {
    transcriber.text = "ähm das ist gut komma um and this question mark";
    const Run off = run();
    ASSERT_TRUE(off.outcome);
    EXPECT_EQ(off.outcome->text, "ähm das ist gut komma um and this question mark");

    context.fillerWordRemovalEnabled = true;
    context.spokenPunctuationEnabled = true;
    context.smartCapitalization = true;
    const Run on = run();
    ASSERT_TRUE(on.outcome);
    EXPECT_EQ(on.outcome->text, "Das ist gut, and this?");
    EXPECT_TRUE(logs.contains("Filler words: \"ähm das ist gut komma um and this question mark\" \u2192 \""));
    EXPECT_TRUE(logs.contains("Smart formatter: "));
}

// The dictionary runs first and the snippets after it, so a correction can
// produce a trigger; each stage that changes the text logs the change line.
TEST_F(RecordingPipelineTest, DictionaryAndSnippetStagesRunInOrderAndLogTheirChanges) {
    dictionary.add({platform::Uuid(), "m f g", "mfg", std::nullopt, false, false, {}});
    transcriber.text = "we use core data daily. m f g";
    const Run changed = run();
    ASSERT_TRUE(changed.outcome) << changed.error;
    EXPECT_EQ(changed.outcome->text, "we use CoreData daily. Mit freundlichen Gr\u00FC\u00DFen,\nLena Marwitz");

    std::vector<std::string> stageLines;
    for (const auto& record : logs.sink().records()) {
        const auto& line = record.message;
        if (record.level == platform::LogLevel::debug &&
            (line.starts_with("Dictionary: ") || line.starts_with("Snippet expanded: ") ||
             line.starts_with("Smart formatter: "))) {
            stageLines.push_back(line);
        }
    }
    EXPECT_EQ(stageLines,
              (std::vector<std::string>{
                  "Dictionary: \"we use core data daily. m f g\" \u2192 \"we use CoreData daily. mfg\"",
                  "Snippet expanded: \"we use CoreData daily. mfg\" \u2192 \"we use CoreData daily. Mit "
                  "freundlichen Gr\u00FC\u00DFen,\nLena Marwitz\""}));

    // Stages that change nothing log nothing.
    logs.sink().clear();
    transcriber.text = "nothing to correct here";
    const Run unchanged = run();
    ASSERT_TRUE(unchanged.outcome);
    EXPECT_EQ(unchanged.outcome->text, "nothing to correct here");
    EXPECT_FALSE(logs.contains("Dictionary: "));
    EXPECT_FALSE(logs.contains("Snippet expanded: "));
    EXPECT_FALSE(logs.contains("Smart formatter: "));
}

// What the user said or had rewritten is private: the info level carries
// stages and lengths only, the words themselves appear at the debug level.
TEST_F(RecordingPipelineTest, DictatedTextIsLoggedOnlyAtTheDebugLevel) {
    dictionary.add({platform::Uuid(), "secret", "Geheimnis", std::nullopt, false, false, {}});
    context.fillerWordRemovalEnabled = true;
    context.spokenPunctuationEnabled = true;
    context.rewritingProfiles = {makeProfile("Formal", {"formal"})};
    rewriter.answer = "Rewritten confidential words.";
    clipboard.text = "private clipboard";

    transcriber.text = "ähm the secret plan komma mfg";
    context.mode = DictationMode::raw;
    ASSERT_TRUE(run().outcome);
    transcriber.text = "formal the secret plan";
    context.mode = DictationMode::claude;
    ASSERT_TRUE(run().outcome);
    transcriber.text = "make the secret plan shorter";
    context.mode = DictationMode::clipboardRewrite;
    ASSERT_TRUE(run().outcome);

    std::vector<std::string> infoLines;
    std::vector<std::string> debugLines;
    for (const auto& record : logs.sink().records()) {
        (record.level == platform::LogLevel::debug ? debugLines : infoLines).push_back(record.message);
    }
    const auto anyContains = [](const std::vector<std::string>& lines, const std::string& fragment) {
        return std::any_of(lines.begin(), lines.end(),
                           [&](const std::string& line) { return line.find(fragment) != std::string::npos; });
    };
    for (const char* word : {"secret", "Geheimnis", "plan", "confidential", "mfg", "freundlichen", "shorter"}) {
        EXPECT_FALSE(anyContains(infoLines, word)) << word;
        EXPECT_TRUE(anyContains(debugLines, word)) << word;
    }
    for (const char* summary :
         {"Transcribed (1.23s): 29 chars", "Dictionary: 29 chars \u2192 32 chars", "Filler words: ",
          "Spoken punctuation: ", "Snippet expanded: ", "Trigger word matched \u2192 profile 'Formal'",
          "Claude rewritten: 29 chars", "Clipboard rewrite \u2014 instructions: 31 chars, clipboard: 17 chars"}) {
        EXPECT_TRUE(anyContains(infoLines, summary)) << summary;
    }
}

// Paragraphs start at 280 characters and hold three sentences each.
TEST_F(RecordingPipelineTest, LongTextsAreSplitIntoParagraphsOfThreeSentences) {
    // Sentences of 69 characters, one space between them: four make 279.
    const auto sentence = [](char letter, std::size_t length = 69) { return std::string(length - 1, letter) + "."; };
    const std::string a = sentence('a'), b = sentence('b'), c = sentence('c');
    struct Case {
        const char* name;
        std::string transcript;
        std::string expected;
    };
    const Case cases[] = {
        {"279 characters stay one paragraph", a + " " + b + " " + c + " " + sentence('d'),
         a + " " + b + " " + c + " " + sentence('d')},
        {"280 characters break after the third sentence", a + " " + b + " " + c + " " + sentence('d', 70),
         a + " " + b + " " + c + "\n\n" + sentence('d', 70)},
        {"three long sentences stay one paragraph", a + " " + b + " " + sentence('c', 150),
         a + " " + b + " " + sentence('c', 150)},
        {"seven sentences make three paragraphs", a + " " + b + " " + c + " " + a + " " + b + " " + c + " " + a,
         a + " " + b + " " + c + "\n\n" + a + " " + b + " " + c + "\n\n" + a},
    };
    context.smartParagraphs = true;
    for (const auto& testCase : cases) {
        SCOPED_TRACE(testCase.name);
        logs.sink().clear();
        transcriber.text = testCase.transcript;
        const Run result = run();
        ASSERT_TRUE(result.outcome) << result.error;
        EXPECT_EQ(result.outcome->text, testCase.expected);
        const bool split = testCase.expected != testCase.transcript;
        EXPECT_EQ(logs.contains("Smart formatter: " + std::to_string(testCase.expected.size()) + " chars"), split);
        EXPECT_EQ(logs.contains("Smart formatter: "), split);
    }
}

TEST_F(RecordingPipelineTest, TriggerWordResolution) {
    const auto longer = makeProfile("Longer", {"mail"});
    const auto shorter = makeProfile("Shorter", {"email"});
    const auto first = makeProfile("First", {"slack"});
    const auto second = makeProfile("Second", {"Slack"});
    struct Case {
        std::string text;
        std::vector<RewritingProfile> profiles;
        std::optional<std::pair<std::string, std::string>> expected; // stripped text, profile name
    };
    const std::vector<Case> cases{
        {"email: hello there", {longer, shorter}, std::pair{"hello there", "Shorter"}},
        {"slack hello", {first, second}, std::pair{"hello", "First"}},
        {"SLACK, hello", {second, first}, std::pair{"hello", "Second"}},
        {"slacker hello", {first}, std::nullopt},
        {"hello there, slack", {first}, std::pair{"hello there", "First"}},
        {"hello there, slack.", {first}, std::nullopt},
        {"Slack!", {first}, std::pair{"", "First"}},
        {"hello", {makeProfile("Empty", {""})}, std::nullopt},
    };
    for (const auto& entry : cases) {
        const auto found = RecordingPipeline::resolveTriggerWordProfile(entry.text, entry.profiles);
        if (!entry.expected) {
            EXPECT_FALSE(found) << entry.text;
            continue;
        }
        ASSERT_TRUE(found) << entry.text;
        EXPECT_EQ(found->first, entry.expected->first) << entry.text;
        EXPECT_EQ(found->second.name, entry.expected->second) << entry.text;
    }
}

TEST_F(RecordingPipelineTest, ClaudeModeRewritesUnderTheTriggeredProfileWithItsContext) {
    auto assigned = makeProfile("Mail profile", {});
    assigned.assignedApps = {AppInfo{"com.example.mail", "Mail"}};
    auto triggered = makeProfile("Formal", {"formal"});
    triggered.includeClipboardContext = true;
    triggered.includeWindowTitleContext = true;
    context.rewritingProfiles = {assigned, triggered};
    context.mode = DictationMode::claude;
    clipboard.text = "copied text";
    transcriber.text = "formal, see you tomorrow";

    const Run result = run();
    ASSERT_TRUE(result.outcome);
    EXPECT_EQ(*result.outcome, Outcome::insert("Rewritten."));
    EXPECT_EQ(result.phases, (std::vector<Phase>{Phase::transcribing, Phase::rewriting}));
    ASSERT_EQ(rewriter.calls.size(), 1u);
    const auto& call = rewriter.calls.front();
    EXPECT_EQ(call.rawText, "see you tomorrow");
    EXPECT_EQ(call.appName, "Mail");
    EXPECT_EQ(call.appBundleIdentifier, "com.example.mail");
    EXPECT_EQ(call.customVocabulary, std::vector<std::string>{"Ostrel"});
    EXPECT_FALSE(call.isClipboard);
    EXPECT_EQ(call.clipboardContext, "copied text");
    EXPECT_EQ(call.voiceInstructions, std::nullopt);
    ASSERT_TRUE(call.profileOverride);
    EXPECT_EQ(call.profileOverride->name, "Formal");
    EXPECT_EQ(call.windowTitle, "Inbox");
    EXPECT_TRUE(logs.contains("Trigger word matched \u2192 profile 'Formal': \"formal, see you tomorrow\" \u2192 "
                              "\"see you tomorrow\""));

    // Without a trigger word the application's profile applies, and it asks for no context.
    transcriber.text = "see you";
    run();
    ASSERT_EQ(rewriter.calls.size(), 2u);
    EXPECT_EQ(rewriter.calls.back().profileOverride->name, "Mail profile");
    EXPECT_EQ(rewriter.calls.back().clipboardContext, std::nullopt);
    EXPECT_EQ(rewriter.calls.back().windowTitle, std::nullopt);
}

TEST_F(RecordingPipelineTest, ClaudeModeFallsBackToTheCleanedTextWhenTheRewriteFails) {
    context.rewritingProfiles = {makeProfile("Formal", {"formal"})};
    context.mode = DictationMode::claude;
    rewriter.failure = "overloaded";
    transcriber.text = "formal see you";
    const Run result = run();
    ASSERT_TRUE(result.outcome) << result.error;
    EXPECT_EQ(*result.outcome, Outcome::insert("see you"));
    EXPECT_TRUE(logs.contains("Claude rewrite failed, using raw text: overloaded"));

    transcriber.text = "formal";
    rewriter.failure.reset();
    run();
    EXPECT_EQ(rewriter.calls.back().rawText, "");
}

TEST_F(RecordingPipelineTest, ClipboardModeRewritesTheClipboardWithTheSpokenInstructions) {
    context.mode = DictationMode::clipboardRewrite;
    transcriber.text = "make it shorter";
    clipboard.text = "  A long text.\n";
    const Run result = run();
    ASSERT_TRUE(result.outcome);
    EXPECT_EQ(*result.outcome, Outcome::clipboardRewritten("Rewritten."));
    EXPECT_EQ(result.phases, (std::vector<Phase>{Phase::transcribing, Phase::rewritingClipboard}));
    ASSERT_EQ(rewriter.calls.size(), 1u);
    const auto& call = rewriter.calls.front();
    EXPECT_EQ(call.rawText, "  A long text.\n");
    EXPECT_TRUE(call.isClipboard);
    EXPECT_EQ(call.voiceInstructions, "make it shorter");
    EXPECT_EQ(call.profileOverride, std::nullopt);
    EXPECT_EQ(call.clipboardContext, std::nullopt);
    EXPECT_EQ(call.windowTitle, std::nullopt);
    EXPECT_EQ(clipboard.text, "Rewritten.");
    EXPECT_TRUE(logs.contains("Clipboard rewrite \u2014 instructions: make it shorter, clipboard: 15 chars"));
}

TEST_F(RecordingPipelineTest, ClipboardModeLeavesTheClipboardAloneOnFailure) {
    context.mode = DictationMode::clipboardRewrite;
    for (const std::optional<std::string>& empty : {std::optional<std::string>(), std::optional<std::string>(" \n ")}) {
        clipboard.text = empty;
        const Run result = run();
        EXPECT_EQ(result.error, "Clipboard empty \u2014 copy text first");
        EXPECT_EQ(result.phases, std::vector<Phase>{Phase::transcribing});
        EXPECT_EQ(clipboard.writes, 0);
    }
    EXPECT_TRUE(rewriter.calls.empty());

    clipboard.text = "keep me";
    rewriter.failure = "rate limited";
    const Run failed = run();
    EXPECT_EQ(failed.error, "rate limited");
    EXPECT_EQ(clipboard.text, "keep me");
    EXPECT_EQ(clipboard.writes, 0);
}

} // namespace
} // namespace ostrelvirorez::testing
