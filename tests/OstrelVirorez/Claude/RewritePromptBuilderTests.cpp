#include "OstrelVirorez/Claude/Cld2LanguageRecognizer.hpp"
#include "OstrelVirorez/Claude/RewritePromptBuilder.hpp"
#include "OstrelVirorez/Claude/RewritingPrompts.hpp"
#include "tests/OstrelVirorez/Claude/FakeLanguageRecognizer.hpp"

#include <gtest/gtest.h>

namespace {

using namespace ostrelvirorez;

const std::string knownGermanClipboardRule =
    "#1 MOST IMPORTANT RULE — OUTPUT LANGUAGE:\nThe clipboard text is written in German. Your output MUST be in "
    "German, regardless of what language these instructions are in. The ONLY exception is if the instructions "
    "explicitly ask to translate to another language.";
const std::string openClipboardRule =
    "#1 MOST IMPORTANT RULE — OUTPUT LANGUAGE:\nReply in the SAME language as the clipboard text, NOT the language "
    "of these instructions. Detect it from the clipboard text itself. Only translate if explicitly asked to.";

PromptInputs dictation() {
    PromptInputs inputs;
    inputs.profile.prompt = "PROFILE PROMPT";
    inputs.appName = "Mail";
    return inputs;
}

TEST(RewritePromptBuilder, LanguageIsNamedOnlyForTwelveCharactersAndAProbabilityOfAtLeast055) {
    testsupport::FakeLanguageRecognizer recognizer;
    recognizer.answer = LanguageHypothesis{"de", 0.55};
    EXPECT_EQ(RewritePromptBuilder::detectedLanguageName("  Hallo Welt!\n ", recognizer), std::nullopt);
    EXPECT_TRUE(recognizer.asked.empty());
    // Twelve user-perceived characters, one of them a CR LF pair.
    EXPECT_EQ(RewritePromptBuilder::detectedLanguageName(" Hallo\r\nWelt!! ", recognizer), "German");
    EXPECT_EQ(recognizer.asked.back(), "Hallo\r\nWelt!!");

    const struct {
        std::optional<LanguageHypothesis> answer;
        std::optional<std::string> expected;
    } cases[] = {
        {LanguageHypothesis{"de", 0.549}, std::nullopt},
        {LanguageHypothesis{"de", std::nullopt}, std::nullopt},
        {std::nullopt, std::nullopt},
        {LanguageHypothesis{"en", 1.0}, "English"},
        {LanguageHypothesis{"zh-Hant", 0.9}, "Chinese"},
        {LanguageHypothesis{"xx", 0.9}, std::nullopt},
    };
    for (const auto& entry : cases) {
        recognizer.answer = entry.answer;
        EXPECT_EQ(RewritePromptBuilder::detectedLanguageName("A long enough sentence.", recognizer), entry.expected);
    }
}

TEST(RewritePromptBuilder, CompactLanguageDetectorNamesGermanAndEnglish) {
    EXPECT_EQ(RewritePromptBuilder::detectedLanguageName(
                  "Ich habe heute keine Zeit, lass uns das Treffen bitte auf morgen verschieben."),
              "German");
    EXPECT_EQ(RewritePromptBuilder::detectedLanguageName(
                  "I do not have time today, so please let us move the meeting to tomorrow."),
              "English");
    EXPECT_EQ(Cld2LanguageRecognizer{}.dominantLanguage(std::string("\xff\xfe broken", 9)), std::nullopt);
}

TEST(RewritePromptBuilder, DictationWithoutLanguageIsTheProfilePromptAndTheActiveApplication) {
    EXPECT_EQ(RewritePromptBuilder::instructions(dictation()), "PROFILE PROMPT\n\nActive App: \"Mail\"");

    auto inputs = dictation();
    inputs.appName = "";
    inputs.detectedLanguageName = "German";
    EXPECT_EQ(RewritePromptBuilder::instructions(inputs),
              "PROFILE PROMPT\n\n#1 MOST IMPORTANT RULE — OUTPUT LANGUAGE:\nThe dictated text is written in German. "
              "Your output MUST be in German, regardless of what language these instructions are in. The ONLY "
              "exception is if the instructions explicitly ask to translate to another language.\n\nActive App: \"\"");
}

TEST(RewritePromptBuilder, ClipboardRewriteUsesTheGeneralPromptOrTheSpokenInstruction) {
    auto inputs = dictation();
    inputs.isClipboard = true;
    inputs.detectedLanguageName = "German";
    EXPECT_EQ(RewritePromptBuilder::instructions(inputs), RewritingPrompts::generalRewritePrompt() + "\n\n" +
                                                              knownGermanClipboardRule + "\n\nActive App: \"Mail\"");

    inputs.detectedLanguageName.reset();
    inputs.voiceInstructions = "make it shorter";
    const auto text = RewritePromptBuilder::instructions(inputs);
    const std::string head =
        "You are editing the user's clipboard text according to a spoken instruction. The clipboard text to edit is "
        "provided as the user message.\n\nSPOKEN INSTRUCTION: \"make it shorter\"\n\n" +
        openClipboardRule + "\n\nOther rules:\n- If the instruction is just to improve";
    EXPECT_TRUE(text.starts_with(head)) << text;
    EXPECT_TRUE(text.ends_with("no explanations, no markdown, no quotes.\n\nActive App: \"Mail\"")) << text;
    EXPECT_EQ(text.find("PROFILE PROMPT"), std::string::npos);

    inputs.voiceInstructions = "";
    EXPECT_TRUE(RewritePromptBuilder::instructions(inputs).starts_with(RewritingPrompts::generalRewritePrompt() +
                                                                       "\n\n" + openClipboardRule));
}

TEST(RewritePromptBuilder, ContextBlocksFollowInTheirOrder) {
    auto inputs = dictation();
    inputs.customVocabulary = {"PocketBase", "CloudKit"};
    inputs.clipboardContext = "   ";
    inputs.windowTitle = "main.cpp";
    inputs.backtrackEnabled = true;
    const auto text = RewritePromptBuilder::instructions(inputs);
    const auto vocabulary = text.find("\n\nCustom Vocabulary (ALWAYS spell exactly like this):\nPocketBase, CloudKit");
    const auto context = text.find("\n\nCLIPBOARD CONTEXT (provided automatically):\n");
    const auto contextBody = text.find("\n\n---\n   \n---");
    const auto title = text.find("\n\nFOCUSED WINDOW TITLE (provided automatically, e.g. the open file in an "
                                 "editor):\n\"main.cpp\"\nUse this only if it helps");
    const auto backtrack = text.find("\n\nBACKTRACK / SELF-CORRECTION:\n");
    ASSERT_NE(vocabulary, std::string::npos);
    ASSERT_NE(contextBody, std::string::npos);
    ASSERT_NE(title, std::string::npos);
    ASSERT_NE(backtrack, std::string::npos);
    EXPECT_LT(vocabulary, context);
    EXPECT_LT(context, title);
    EXPECT_LT(title, backtrack);
    EXPECT_TRUE(text.ends_with("Apply this across the whole text, not just the first occurrence."));

    inputs.customVocabulary = {"Solo"};
    inputs.clipboardContext = "";
    inputs.windowTitle = "";
    inputs.backtrackEnabled = false;
    EXPECT_EQ(RewritePromptBuilder::instructions(inputs),
              "PROFILE PROMPT\n\nActive App: \"Mail\"\n\nCustom Vocabulary (ALWAYS spell exactly like this):\nSolo");
}

TEST(RewritePromptBuilder, OnDeviceClosingBlockIsKeptByteForByte) {
    const auto& block = RewritePromptBuilder::onDeviceClosingBlock();
    EXPECT_EQ(block.size(), 705u);
    EXPECT_TRUE(block.starts_with("\n\nCRITICAL — YOU ARE NOT A CONVERSATIONAL ASSISTANT:\n"));
    EXPECT_TRUE(block.ends_with("output it back essentially unchanged."));
}

} // namespace
