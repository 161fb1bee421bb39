#include "PelluxCore/ModelHubKit/Tokenizers/AutoTokenizer.hpp"
#include "PelluxCore/ModelHubKit/Tokenizers/TokenizerError.hpp"
#include "tests/PelluxCore/ModelHubKit/Tokenizers/TokenizerFixtures.hpp"
#include "tests/Support/TemporaryDirectory.hpp"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <functional>

namespace modelhubkit {
namespace {

using ::testing::ElementsAre;
using ::testing::HasSubstr;

TokenizerErrorKind errorKindOf(const std::function<void()>& action, std::string* message = nullptr) {
    try {
        action();
    } catch (const TokenizerError& error) {
        if (message) *message = error.description();
        return error.kind();
    }
    ADD_FAILURE() << "expected a TokenizerError";
    return TokenizerErrorKind::malformedTokenizer;
}

class AutoTokenizerFolderTests : public ::testing::Test {
protected:
    void writeFiles(const nlohmann::json& config, const nlohmann::json& data) const {
        folder.write("tokenizer_config.json", config.dump());
        folder.write("tokenizer.json", data.dump());
    }

    testsupport::TemporaryDirectory folder;
};

TEST_F(AutoTokenizerFolderTests, BuildsTheTokenizerOfAModelFolder) {
    writeFiles(testing::byteLevelBpeConfig(), testing::byteLevelBpeData());
    const auto tokenizer = AutoTokenizer::from(folder.path());
    EXPECT_THAT(tokenizer->encode("hello world"), ElementsAre(51, 11, 16, 50));
    EXPECT_EQ(tokenizer->decode(std::vector<int>{51, 11, 16, 50}, true), "hello world");
    EXPECT_EQ(tokenizer->eosTokenId(), 50);
}

TEST_F(AutoTokenizerFolderTests, MissingFilesAreReportedConfigurationFirst) {
    std::string message;
    EXPECT_EQ(errorKindOf([&] { AutoTokenizer::from(folder.path()); }, &message), TokenizerErrorKind::missingConfig);
    EXPECT_THAT(message, HasSubstr("tokenizer_config.json"));

    folder.write("tokenizer.json", testing::byteLevelBpeData().dump());
    EXPECT_EQ(errorKindOf([&] { AutoTokenizer::from(folder.path()); }), TokenizerErrorKind::missingConfig);

    std::filesystem::remove(folder / "tokenizer.json");
    folder.write("tokenizer_config.json", "{}");
    EXPECT_EQ(errorKindOf([&] { AutoTokenizer::from(folder.path()); }, &message), TokenizerErrorKind::missingTokenizerData);
    EXPECT_THAT(message, HasSubstr("tokenizer.json"));

    EXPECT_EQ(errorKindOf([&] { AutoTokenizer::from(folder / "absent"); }), TokenizerErrorKind::missingConfig);
}

TEST_F(AutoTokenizerFolderTests, FilesThatAreNotJsonAreMalformed) {
    folder.write("tokenizer_config.json", "{}");
    folder.write("tokenizer.json", R"({"model": {"type": "BPE", "vocab": )");
    std::string message;
    EXPECT_EQ(errorKindOf([&] { AutoTokenizer::from(folder.path()); }, &message), TokenizerErrorKind::malformedFile);
    EXPECT_THAT(message, HasSubstr("tokenizer.json"));

    folder.write("tokenizer_config.json", "not json");
    EXPECT_EQ(errorKindOf([&] { AutoTokenizer::from(folder.path()); }), TokenizerErrorKind::malformedFile);
}

TEST(AutoTokenizerDataTests, ContentErrorsNameWhatIsWrong) {
    const auto bpe = testing::byteLevelBpeData();
    struct Case {
        const char* name;
        std::function<void(nlohmann::json&)> damage;
        TokenizerErrorKind kind;
        const char* mentions;
    };
    const std::vector<Case> cases{
        {"unknown model", [](auto& d) { d["model"]["type"] = "CharLevel"; }, TokenizerErrorKind::unsupportedComponent, "CharLevel"},
        {"no model", [](auto& d) { d.erase("model"); }, TokenizerErrorKind::malformedTokenizer, "model"},
        {"vocab of wrong shape", [](auto& d) { d["model"]["vocab"] = nlohmann::json::array({1, 2}); },
         TokenizerErrorKind::malformedTokenizer, "vocab"},
        {"merge of unknown token", [](auto& d) { d["model"]["merges"].push_back("x y"); },
         TokenizerErrorKind::malformedTokenizer, "x y"},
        {"merge without space", [](auto& d) { d["model"]["merges"].push_back("xy"); },
         TokenizerErrorKind::malformedTokenizer, "xy"},
        {"unknown token not in vocab", [](auto& d) { d["model"]["unk_token"] = "<unk>"; },
         TokenizerErrorKind::malformedTokenizer, "<unk>"},
        {"unknown normalizer", [](auto& d) { d["normalizer"] = {{"type", "Precompiled"}}; },
         TokenizerErrorKind::unsupportedComponent, "Precompiled"},
        {"unknown pre-tokenizer", [](auto& d) { d["pre_tokenizer"] = {{"type", "Mystery"}}; },
         TokenizerErrorKind::unsupportedComponent, "Mystery"},
        {"unknown decoder", [](auto& d) { d["decoder"] = {{"type", "CTC"}}; }, TokenizerErrorKind::unsupportedComponent, "CTC"},
        {"template with undefined token", [](auto& d) { d["post_processor"]["special_tokens"].erase("<|endoftext|>"); },
         TokenizerErrorKind::malformedTokenizer, "<|endoftext|>"},
        {"negative id", [](auto& d) { d["model"]["vocab"]["q"] = -4; }, TokenizerErrorKind::malformedTokenizer, "q"},
        {"bad regex", [](auto& d) { d["pre_tokenizer"] = {{"type", "Split"}, {"pattern", {{"Regex", "("}}}, {"behavior", "Isolated"}}; },
         TokenizerErrorKind::malformedTokenizer, "("},
    };
    for (const auto& c : cases) {
        auto data = bpe;
        c.damage(data);
        std::string message;
        EXPECT_EQ(errorKindOf([&] { AutoTokenizer::from(nlohmann::json::object(), data); }, &message), c.kind) << c.name;
        EXPECT_THAT(message, HasSubstr(c.mentions)) << c.name;
    }
}

TEST(AutoTokenizerDataTests, LenientLoadingLeavesOutComponentsItCannotBuild) {
    auto data = testing::byteLevelBpeData();
    data["normalizer"] = {{"type", "Sequence"}, {"normalizers", {{{"type", "Precompiled"}}, {{"type", "Lowercase"}}}}};
    data["decoder"] = {{"type", "CTC"}};
    EXPECT_EQ(errorKindOf([&] { AutoTokenizer::from(nlohmann::json::object(), data, true); }),
              TokenizerErrorKind::unsupportedComponent);
    const auto tokenizer = AutoTokenizer::from(nlohmann::json::object(), data, false);
    EXPECT_THAT(tokenizer->encode("HELLO", false), ElementsAre(11));
}

TEST(AutoTokenizerDataTests, TokenizerClassLosesEveryFast) {
    struct Case {
        nlohmann::json config;
        std::optional<std::string> name;
    };
    const std::vector<Case> cases{
        {{{"tokenizer_class", "WhisperTokenizerFast"}}, "WhisperTokenizer"},
        {{{"tokenizer_class", "FastFooFast"}}, "Foo"},
        {{{"tokenizer_class", "GPT2Tokenizer"}}, "GPT2Tokenizer"},
        {{{"tokenizer_class", 3}}, std::nullopt},
        {nlohmann::json::object(), std::nullopt},
    };
    for (const auto& c : cases) EXPECT_EQ(AutoTokenizer::tokenizerClassName(c.config), c.name) << c.config.dump();
}

} // namespace
} // namespace modelhubkit
