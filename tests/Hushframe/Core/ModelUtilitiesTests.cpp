#include "Hushframe/Core/Models/ModelUtilities.hpp"
#include "Hushframe/Core/Models/WhisperTokenizerWrapper.hpp"
#include "tests/Hushframe/Core/PackageLogCapture.hpp"
#include "tests/Hushframe/Core/TinyTokenizer.hpp"
#include "tests/Support/TemporaryDirectory.hpp"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <stdexcept>

namespace hushframe {
namespace {

namespace fs = std::filesystem;
using ::testing::Contains;
using ::testing::ElementsAre;

TEST(ModelUtilitiesTests, DetectVariantFromVocabularyAndEncoderWidth) {
    struct Case {
        int logits;
        int encoder;
        ModelVariant expected;
    };
    const std::vector<Case> cases = {
        {51864, 384, ModelVariant::tinyEn},  {51864, 512, ModelVariant::baseEn},
        {51864, 768, ModelVariant::smallEn}, {51864, 1024, ModelVariant::mediumEn},
        {51864, 1280, ModelVariant::baseEn}, {51864, 640, ModelVariant::baseEn},
        {51865, 384, ModelVariant::tiny},    {51865, 512, ModelVariant::base},
        {51865, 768, ModelVariant::small},   {51865, 1024, ModelVariant::medium},
        {51865, 1280, ModelVariant::largev2}, {51865, 1000, ModelVariant::base},
        {51865, 0, ModelVariant::base},      {51866, 384, ModelVariant::largev3},
        {51866, 1280, ModelVariant::largev3},
    };
    testing::PackageLogCapture log;
    for (const auto& c : cases) {
        EXPECT_EQ(ModelUtilities::detectVariant(c.logits, c.encoder), c.expected) << c.logits << " " << c.encoder;
    }
    EXPECT_TRUE(log.messages().empty());
}

TEST(ModelUtilitiesTests, UnknownVocabularyFallsBackToBaseWithAnErrorLog) {
    testing::PackageLogCapture log(pelluxcore::Logging::LogLevel::error);
    EXPECT_EQ(ModelUtilities::detectVariant(50000, 512), ModelVariant::base);
    EXPECT_THAT(log.messages(), ElementsAre("Unrecognized vocabulary size: 50000, defaulting to base variant"));
}

TEST(ModelUtilitiesTests, TokenizerRepositoryOfEachVariant) {
    const std::vector<std::string> expected = {
        "openai/whisper-tiny",   "openai/whisper-tiny.en",   "openai/whisper-base",  "openai/whisper-base.en",
        "openai/whisper-small",  "openai/whisper-small.en",  "openai/whisper-medium", "openai/whisper-medium.en",
        "openai/whisper-large",  "openai/whisper-large-v2",  "openai/whisper-large-v3"};
    for (std::size_t i = 0; i < allModelVariants.size(); ++i) {
        EXPECT_EQ(ModelUtilities::tokenizerNameForVariant(allModelVariants[i]), expected[i]);
    }
}

TEST(ModelUtilitiesTests, FormatModelFilesKeepsSizedFoldersOrderedByFamilyThenName) {
    EXPECT_THAT(ModelUtilities::formatModelFiles({"openai_whisper-tiny.en/AudioEncoder.mlmodelc/x",
                                                  "openai_whisper-tiny/TextDecoder.mlmodelc/y",
                                                  "openai_whisper-large-v3_turbo/z", "config.json"}),
                ElementsAre("openai_whisper-tiny", "openai_whisper-tiny.en", "openai_whisper-large-v3_turbo"));
    // A size word followed by more than the folder's end does not count, unless it is a large one;
    // repeated folders appear once.
    EXPECT_THAT(ModelUtilities::formatModelFiles({"openai_whisper-small_216MB/a", "distil-whisper_distil-large-v3/b",
                                                  "openai_whisper-base/c", "openai_whisper-base/d",
                                                  "openai_whisper-medium.en/e"}),
                ElementsAre("openai_whisper-base", "openai_whisper-medium.en", "distil-whisper_distil-large-v3"));
    EXPECT_TRUE(ModelUtilities::formatModelFiles({}).empty());
}

// Hub double: a local repository location below a base folder, and a
// tokenizer (or an error) for downloads, counting them.
class FakeHub : public TokenizerHub {
public:
    explicit FakeHub(fs::path base) : base_(std::move(base)) {}

    fs::path localRepoLocation(const std::string& repoId) const override { return base_ / "models" / repoId; }
    std::shared_ptr<const modelhubkit::Tokenizer> fromPretrained(const std::string& repoId) const override {
        downloads.push_back(repoId);
        if (failure) throw std::runtime_error(*failure);
        return testing::tinyTokenizer();
    }

    mutable std::vector<std::string> downloads;
    std::optional<std::string> failure;

private:
    fs::path base_;
};

TEST(ModelUtilitiesTests, LocalSearchTakesTheFirstFolderHoldingBothTokenizerFiles) {
    testsupport::TemporaryDirectory folder;
    folder.write("second/tokenizer.json", "{}");
    folder.write("third/tokenizer.json", "{}");
    folder.write("third/tokenizer_config.json", "{}");
    folder.write("fourth/tokenizer.json", "{}");
    folder.write("fourth/tokenizer_config.json", "{}");
    testing::PackageLogCapture log;
    EXPECT_EQ(ModelUtilities::findLocalTokenizer({folder / "first", folder / "second", folder / "third", folder / "fourth"}),
              folder / "third");
    EXPECT_THAT(log.messages(), Contains("Checking for local tokenizer at " + (folder / "first/tokenizer.json").string() +
                                         " - not found"));
    EXPECT_FALSE(ModelUtilities::findLocalTokenizer({folder / "first"}).has_value());
}

TEST(ModelUtilitiesTests, LoadTokenizerPrefersTheHubLocationOverTheTokenizerFolder) {
    testsupport::TemporaryDirectory folder;
    testing::writeTinyTokenizer(folder / "models/openai/whisper-base");
    folder.write("tokenizer.json", "not a tokenizer");
    FakeHub hub(folder.path());

    const auto tokenizer = ModelUtilities::loadTokenizer(ModelVariant::base, folder.path(), {}, hub);
    const auto& wrapper = dynamic_cast<const WhisperTokenizerWrapper&>(*tokenizer);
    EXPECT_EQ(wrapper.tokenizerFolder(), folder / "models/openai/whisper-base");
    EXPECT_EQ(tokenizer->specialTokens().startOfTranscriptToken, 51);
    EXPECT_TRUE(hub.downloads.empty());
}

TEST(ModelUtilitiesTests, LoadTokenizerSearchesFurtherFoldersBeforeTheHub) {
    testsupport::TemporaryDirectory folder;
    testing::writeTinyTokenizer(folder / "extra");
    FakeHub hub(folder / "hub");
    const auto tokenizer = ModelUtilities::loadTokenizer(ModelVariant::tiny, std::nullopt,
                                                         {folder / "missing", folder / "extra"}, hub);
    EXPECT_EQ(dynamic_cast<const WhisperTokenizerWrapper&>(*tokenizer).tokenizerFolder(), folder / "extra");
    EXPECT_TRUE(hub.downloads.empty());
}

TEST(ModelUtilitiesTests, BrokenOrMissingLocalTokenizerFallsThroughToTheHub) {
    testsupport::TemporaryDirectory folder;
    folder.write("broken/tokenizer.json", "not a tokenizer");
    folder.write("broken/tokenizer_config.json", "{}");
    FakeHub hub(folder / "hub");
    testing::PackageLogCapture log;

    const auto tokenizer = ModelUtilities::loadTokenizer(ModelVariant::smallEn, folder / "broken", {}, hub);
    EXPECT_THAT(hub.downloads, ElementsAre("openai/whisper-small.en"));
    EXPECT_EQ(dynamic_cast<const WhisperTokenizerWrapper&>(*tokenizer).tokenizerFolder(),
              folder / "hub/models/openai/whisper-small.en");
    const auto messages = log.messages();
    EXPECT_TRUE(std::ranges::any_of(messages, [](const std::string& m) {
        return m.starts_with("Error loading local tokenizer: ");
    }));

    FakeHub empty(folder / "nothing");
    ModelUtilities::loadTokenizer(ModelVariant::tiny, std::nullopt, {}, empty);
    EXPECT_THAT(log.messages(), Contains("No tokenizer found in any local search paths"));
    EXPECT_THAT(empty.downloads, ElementsAre("openai/whisper-tiny"));
}

TEST(ModelUtilitiesTests, HubFailureReachesTheCallerUnchanged) {
    testsupport::TemporaryDirectory folder;
    FakeHub hub(folder.path());
    hub.failure = "repository not found";
    try {
        ModelUtilities::loadTokenizer(ModelVariant::base, std::nullopt, {}, hub);
        FAIL() << "expected the hub's error";
    } catch (const std::runtime_error& error) {
        EXPECT_STREQ(error.what(), "repository not found");
    }
}

} // namespace
} // namespace hushframe
