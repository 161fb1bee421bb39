#include "PelluxCore/AutoTokenizerWrapper.hpp"

#include "PelluxCore/ModelHubKit/Tokenizers/TokenizerError.hpp"
#include "tests/PelluxCore/ModelHubKit/Hub/TinyHub.hpp"
#include "tests/PelluxCore/ModelHubKit/Tokenizers/TokenizerFixtures.hpp"
#include "tests/Support/TemporaryDirectory.hpp"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <array>
#include <string>

namespace pelluxcore {
namespace {

using ::testing::ElementsAre;
using ::testing::UnorderedElementsAre;
using modelhubkit::TokenizerError;
using modelhubkit::TokenizerErrorKind;
using modelhubkit::testing::TinyHub;

// The WordPiece fixture; [CLS] and [SEP] wrap every encoding.
const std::string tokenizerData = modelhubkit::testing::wordPieceData().dump();

constexpr const char* tokenizerConfig =
    R"({"tokenizer_class": "WhisperTokenizerFast", "bos_token": "[CLS]", "eos_token": "[SEP]", "unk_token": "[UNK]"})";

void expectWorkingTokenizer(const TokenizerWrapper& tokenizer) {
    EXPECT_THAT(tokenizer.tokenize("Unaffable, world!"), ElementsAre("un", "##aff", "##able", ",", "world", "!"));
    EXPECT_THAT(tokenizer.encode("hello world"), ElementsAre(1, 6, 8, 2));
    EXPECT_THAT(tokenizer.encode("hello world", false), ElementsAre(6, 8));
    const std::array<int, 4> ids{1, 6, 8, 2};
    EXPECT_EQ(tokenizer.decode(ids, true), "hello world");
    EXPECT_THAT(tokenizer.decode(ids), ::testing::StartsWith("[CLS]"));
    EXPECT_EQ(tokenizer.convertTokenToId("world"), 8);
    EXPECT_EQ(tokenizer.convertTokenToId("absent"), std::nullopt);
    const std::array<std::string, 2> tokens{"hello", "absent"};
    EXPECT_THAT(tokenizer.convertTokensToIds(tokens), ElementsAre(6, std::nullopt));
    EXPECT_EQ(tokenizer.convertIdToToken(9), "!");
    const std::array<int, 2> someIds{7, 99};
    EXPECT_THAT(tokenizer.convertIdsToTokens(someIds), ElementsAre(",", std::nullopt));
    EXPECT_EQ(tokenizer.bosToken(), "[CLS]");
    EXPECT_EQ(tokenizer.bosTokenId(), 1);
    EXPECT_EQ(tokenizer.eosToken(), "[SEP]");
    EXPECT_EQ(tokenizer.eosTokenId(), 2);
    EXPECT_EQ(tokenizer.unknownToken(), "[UNK]");
    EXPECT_EQ(tokenizer.unknownTokenId(), 0);
}

TokenizerErrorKind errorKindOf(const std::function<void()>& action) {
    try {
        action();
    } catch (const TokenizerError& error) {
        return error.kind();
    }
    ADD_FAILURE() << "no TokenizerError";
    return TokenizerErrorKind::encodingFailed;
}

class AutoTokenizerWrapperTest : public ::testing::Test {
protected:
    HubApiWrapper wrapper() const {
        return HubApiWrapper(base.path(), std::string(), hub.endpoint(), false,
                             modelhubkit::HubApi::Services{nullptr, hub.network});
    }

    TinyHub hub;
    testsupport::TemporaryDirectory base;
    testsupport::TemporaryDirectory folder;
};

TEST_F(AutoTokenizerWrapperTest, BuildsTheTokenizerOfAHandMadeFolder) {
    folder.write("tokenizer_config.json", tokenizerConfig);
    folder.write("tokenizer.json", tokenizerData);
    expectWorkingTokenizer(AutoTokenizerWrapper::from(folder.path(), wrapper(), true));
    EXPECT_TRUE(hub.server.requests().empty());
}

TEST_F(AutoTokenizerWrapperTest, AFolderWithoutConfigurationFailsWithoutAskingTheHub) {
    hub.setFile("tokenizer_config.json", tokenizerConfig);
    hub.setFile("tokenizer.json", tokenizerData);
    folder.write("tokenizer.json", tokenizerData);

    EXPECT_EQ(errorKindOf([&] { AutoTokenizerWrapper::from(folder.path(), wrapper(), true); }),
              TokenizerErrorKind::missingConfig);
    EXPECT_TRUE(hub.server.requests().empty());
}

TEST_F(AutoTokenizerWrapperTest, FromTheHubFetchesOnlyTheTokenizerFilesOfMain) {
    hub.setFile("tokenizer_config.json", tokenizerConfig);
    hub.setFile("tokenizer.json", tokenizerData);
    hub.setFile("config.json", "{}");
    hub.setFile("model.safetensors", "weights");
    hub.setFile("whisper/v1/base/Encoder.mlmodelc/coremldata.bin", "encoder");

    expectWorkingTokenizer(AutoTokenizerWrapper::from(TinyHub::repoId, wrapper(), true));
    EXPECT_THAT(hub.fileDownloads(), UnorderedElementsAre("config.json", "tokenizer.json", "tokenizer_config.json"));
}

TEST_F(AutoTokenizerWrapperTest, FromTheHubFailsOnAMissingConfigurationOrABrokenTokenizer) {
    hub.setFile("tokenizer.json", tokenizerData);
    EXPECT_EQ(errorKindOf([&] { AutoTokenizerWrapper::from(TinyHub::repoId, wrapper(), true); }),
              TokenizerErrorKind::missingConfig);

    hub.setFile("tokenizer_config.json", tokenizerConfig);
    hub.setFile("tokenizer.json", "not json");
    testsupport::TemporaryDirectory otherBase;
    const HubApiWrapper fresh(otherBase.path(), std::string(), hub.endpoint(), false,
                              modelhubkit::HubApi::Services{nullptr, hub.network});
    EXPECT_EQ(errorKindOf([&] { AutoTokenizerWrapper::from(TinyHub::repoId, fresh, true); }),
              TokenizerErrorKind::malformedFile);
}

} // namespace
} // namespace pelluxcore
