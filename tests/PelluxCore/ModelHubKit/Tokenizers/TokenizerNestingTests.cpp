// Tokenizer files come from the network: however deeply their components
// nest, and whatever numbers they hold, loading ends with a TokenizerError
// instead of exhausting the stack or converting out of range.

#include "PelluxCore/ModelHubKit/Tokenizers/AutoTokenizer.hpp"
#include "PelluxCore/ModelHubKit/Tokenizers/TokenizerError.hpp"
#include "tests/PelluxCore/ModelHubKit/Tokenizers/TokenizerFixtures.hpp"
#include "tests/Support/TemporaryDirectory.hpp"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <string>

namespace modelhubkit {
namespace {

using ::testing::HasSubstr;

struct Component {
    const char* key;      // where tokenizer.json keeps it
    const char* listKey;  // the steps of its Sequence
    const char* innermost;
};

const Component components[] = {
    {"normalizer", "normalizers", R"({"type": "Lowercase"})"},
    {"pre_tokenizer", "pretokenizers", R"({"type": "Whitespace"})"},
    {"decoder", "decoders", R"({"type": "Fuse"})"},
    {"post_processor", "processors", R"({"type": "ByteLevel"})"},
};

// `levels` Sequences, each holding the next, around the innermost component.
std::string nestedSequence(const Component& component, int levels) {
    std::string text;
    for (int i = 0; i < levels; ++i) text += std::string(R"({"type": "Sequence", ")") + component.listKey + "\": [";
    text += component.innermost;
    for (int i = 0; i < levels; ++i) text += "]}";
    return text;
}

// The WordPiece fixture's tokenizer.json with one component replaced by `componentText`.
std::string dataWith(const Component& component, const std::string& componentText) {
    auto data = testing::wordPieceData();
    data[component.key] = "@component@";
    auto text = data.dump();
    text.replace(text.find("\"@component@\""), 13, componentText);
    return text;
}

TokenizerError loadFailure(const testsupport::TemporaryDirectory& folder) {
    try {
        AutoTokenizer::from(folder.path());
    } catch (const TokenizerError& error) {
        return error;
    }
    ADD_FAILURE() << "loaded";
    return TokenizerError(TokenizerErrorKind::encodingFailed, "");
}

TEST(TokenizerNesting, SequencesNestSixteenLevelsAndNoDeeper) {
    testsupport::TemporaryDirectory folder;
    folder.write("tokenizer_config.json", "{}");
    for (const auto& component : components) {
        SCOPED_TRACE(component.key);
        folder.write("tokenizer.json", dataWith(component, nestedSequence(component, 16)));
        EXPECT_NO_THROW(AutoTokenizer::from(folder.path()));

        folder.write("tokenizer.json", dataWith(component, nestedSequence(component, 17)));
        const auto error = loadFailure(folder);
        EXPECT_EQ(error.kind(), TokenizerErrorKind::malformedTokenizer);
        EXPECT_THAT(error.description(), HasSubstr("nested more than 16 levels"));
    }
}

TEST(TokenizerNesting, FilesNestedTooDeeplyForTheStackAreMalformed) {
    testsupport::TemporaryDirectory folder;
    folder.write("tokenizer_config.json", "{}");
    for (const auto& component : components) {
        SCOPED_TRACE(component.key);
        folder.write("tokenizer.json", dataWith(component, nestedSequence(component, 200000)));
        const auto error = loadFailure(folder);
        EXPECT_EQ(error.kind(), TokenizerErrorKind::malformedFile);
        EXPECT_THAT(error.description(), HasSubstr("tokenizer.json"));
        EXPECT_THAT(error.description(), HasSubstr("nested"));
    }
    // Plain arrays in the configuration count as well.
    folder.write("tokenizer.json", testing::wordPieceData().dump());
    folder.write("tokenizer_config.json", std::string(1000000, '[') + std::string(1000000, ']'));
    EXPECT_EQ(loadFailure(folder).kind(), TokenizerErrorKind::malformedFile);
}

TEST(TokenizerNesting, TokenIdsThatAreNoIntAreMalformed) {
    testsupport::TemporaryDirectory folder;
    folder.write("tokenizer_config.json", "{}");
    for (const std::string id : {"3.7e119", "2147483648", "-2147483649", "1.5", "\"7\""}) {
        SCOPED_TRACE(id);
        auto text = testing::wordPieceData().dump();
        const std::string entry = "\"hello\":6";
        ASSERT_NE(text.find(entry), std::string::npos);
        text.replace(text.find(entry), entry.size(), "\"hello\":" + id);
        folder.write("tokenizer.json", text);
        EXPECT_EQ(loadFailure(folder).kind(), TokenizerErrorKind::malformedTokenizer);
    }
}

} // namespace
} // namespace modelhubkit
