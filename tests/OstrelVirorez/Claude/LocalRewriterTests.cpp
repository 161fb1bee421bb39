#include "OstrelVirorez/Claude/LocalRewriter.hpp"
#include "OstrelVirorez/Claude/LocalRewriterError.hpp"
#include "OstrelVirorez/Claude/RewritePromptBuilder.hpp"
#include "OstrelVirorez/Claude/SystemLanguageModel.hpp"
#include "Platform/Core/Error.hpp"
#include "tests/OstrelVirorez/Claude/FakeLanguageRecognizer.hpp"
#include "tests/OstrelVirorez/Claude/FakeRewritingSettings.hpp"

#include <gtest/gtest.h>

namespace {

using namespace ostrelvirorez;

// An on-device model that answers from a script and records each conversation.
class ScriptedLanguageModel : public SystemLanguageModel {
public:
    bool available = true;
    std::string answer;
    std::optional<std::string> failure;
    std::vector<std::pair<std::string, std::string>> conversations;  // instructions, prompt

    bool isAvailable() const override { return available; }
    std::unique_ptr<LanguageModelSession> makeSession(const std::string& instructions) override {
        return std::make_unique<Session>(*this, instructions);
    }

private:
    struct Session : LanguageModelSession {
        Session(ScriptedLanguageModel& model, std::string instructions)
            : model(model), instructions(std::move(instructions)) {}
        std::string respond(const std::string& prompt) override {
            model.conversations.emplace_back(instructions, prompt);
            if (model.failure) throw platform::Error(*model.failure);
            return model.answer;
        }
        ScriptedLanguageModel& model;
        std::string instructions;
    };
};

class LocalRewriterTest : public ::testing::Test {
protected:
    testsupport::FakeRewritingSettings settings;
    testsupport::FakeLanguageRecognizer recognizer;
    ScriptedLanguageModel model;
    LocalRewriter rewriter{settings, model, recognizer};

    std::string dictate(const std::string& text, const std::optional<RewritingProfile>& profileOverride = {}) {
        return rewriter.rewrite(text, "zar.apple.mail", "Mail", {}, false, std::nullopt, std::nullopt, profileOverride,
                                std::nullopt);
    }
};

TEST_F(LocalRewriterTest, UnavailableModelFailsBeforeAnyProfileOrPromptWork) {
    model.available = false;
    try {
        dictate("Ein deutscher Satz mit ein paar Worten.");
        FAIL() << "expected LocalRewriterError";
    } catch (const LocalRewriterError& error) {
        EXPECT_EQ(error.kind(), LocalRewriterErrorKind::modelUnavailable);
        EXPECT_EQ(error.description(), "Apple Intelligence ist auf diesem Mac nicht verfügbar");
    }
    EXPECT_EQ(settings.profileReads, 0);
    EXPECT_TRUE(recognizer.asked.empty());

    LocalRewriter onThisPlatform{settings, SystemLanguageModel::unavailable(), recognizer};
    EXPECT_THROW(onThisPlatform.rewrite("t", "a", "A", {}, false, std::nullopt, std::nullopt, std::nullopt, std::nullopt),
                 LocalRewriterError);
}

TEST_F(LocalRewriterTest, DictationGetsTheLanguageRuleAndTheClosingBlockAndATrimmedAnswer) {
    recognizer.answer = LanguageHypothesis{"de", 0.99};
    model.answer = "\n\n  Ein deutscher Satz.\n\n";
    const std::string text = "ein deutscher satz mit ein paar worten";
    EXPECT_EQ(dictate(text), "Ein deutscher Satz.");

    ASSERT_EQ(model.conversations.size(), 1u);
    const auto& [instructions, prompt] = model.conversations.front();
    EXPECT_EQ(prompt, text);
    EXPECT_TRUE(instructions.starts_with(RewritingProfile::defaults()[0].prompt +
                                         "\n\n#1 MOST IMPORTANT RULE — OUTPUT LANGUAGE:\nThe dictated text is written in "
                                         "German."));
    EXPECT_TRUE(instructions.ends_with("Active App: \"Mail\"" + RewritePromptBuilder::onDeviceClosingBlock()));
}

TEST_F(LocalRewriterTest, ClipboardRewriteWithSpokenInstructionAlsoEndsWithTheClosingBlock) {
    model.answer = "   \n";
    settings.backtrack = true;
    EXPECT_EQ(rewriter.rewrite("hi", "a", "A", {}, true, std::nullopt, "shorter", std::nullopt, std::nullopt), "");
    const auto& instructions = model.conversations.front().first;
    EXPECT_TRUE(instructions.starts_with("You are editing the user's clipboard text"));
    EXPECT_NE(instructions.find("BACKTRACK / SELF-CORRECTION"), std::string::npos);
    EXPECT_TRUE(instructions.ends_with(RewritePromptBuilder::onDeviceClosingBlock()));
}

TEST_F(LocalRewriterTest, OverrideSkipsTheStoredListAndEachCallHasItsOwnConversation) {
    RewritingProfile override;
    override.prompt = "OVERRIDE";
    dictate("one", override);
    dictate("two", override);
    EXPECT_EQ(settings.profileReads, 0);
    ASSERT_EQ(model.conversations.size(), 2u);
    EXPECT_TRUE(model.conversations[1].first.starts_with("OVERRIDE\n\nActive App"));
    EXPECT_EQ(model.conversations[1].second, "two");
}

TEST_F(LocalRewriterTest, GenerationFailureCarriesTheModelsDescription) {
    model.failure = "Kontext zu lang";
    try {
        dictate("text");
        FAIL() << "expected LocalRewriterError";
    } catch (const LocalRewriterError& error) {
        EXPECT_EQ(error.kind(), LocalRewriterErrorKind::generationFailed);
        EXPECT_EQ(error.message(), "Kontext zu lang");
        EXPECT_EQ(error.description(), "Lokales Rewrite fehlgeschlagen: Kontext zu lang");
    }
}

} // namespace
