// Every JSON file the recognisers read from a downloaded model folder (and
// the custom vocabulary the user names) against files no model writes: JSON
// nested 60 000 levels deep, and files larger than the reader's cap. Each is
// refused with an error that says why, before it is read whole.

#include "Platform/Core/BoundedJson.hpp"
#include "Platform/Core/BoundedRead.hpp"
#include "Platform/Core/Logger.hpp"
#include "RazeziRuzer/ASR/Parakeet/ParakeetLanguageModels.hpp"
#include "RazeziRuzer/ASR/Parakeet/ParakeetVocabulary.hpp"
#include "RazeziRuzer/ASR/Parakeet/SlidingWindow/CustomVocabulary/CustomVocabularyContext.hpp"
#include "RazeziRuzer/ASR/Parakeet/SlidingWindow/CustomVocabulary/WordSpotting/BpeTokenizer.hpp"
#include "RazeziRuzer/ASR/Parakeet/SlidingWindow/CustomVocabulary/WordSpotting/CtcModels.hpp"
#include "RazeziRuzer/ASR/Parakeet/Streaming/Nemotron/NemotronMultilingualStreamingConfig.hpp"
#include "RazeziRuzer/ASR/Parakeet/Streaming/Nemotron/NemotronStreamingConfig.hpp"
#include "RazeziRuzer/ASR/Parakeet/Streaming/Tokenizer.hpp"
#include "tests/Support/TemporaryDirectory.hpp"

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <functional>
#include <sstream>
#include <string>

namespace razeziruzer {
namespace {

namespace fs = std::filesystem;

constexpr int hostileDepth = 60000;

// An object whose one member holds arrays nested `depth` levels deep, so that
// a reader that wants an object at the top gets one.
std::string deeplyNested(int depth) {
    return "{\"terms\":" + std::string(static_cast<std::size_t>(depth), '[') +
           std::string(static_cast<std::size_t>(depth), ']') + "}";
}

// A file of `bytes` bytes that takes no room on disk.
fs::path sparseFile(const fs::path& file, std::uintmax_t bytes) {
    fs::create_directories(file.parent_path());
    { std::ofstream create(file, std::ios::binary); }
    fs::resize_file(file, bytes);
    return file;
}

struct Reader {
    const char* name;
    // Where the reader looks for its file below a model folder.
    std::function<fs::path(const fs::path& folder)> file;
    std::function<void(const fs::path& folder)> read;
    // The cap of a file from the network; none for the user's own file.
    std::optional<std::uintmax_t> maxBytes;
};

std::vector<Reader> readers() {
    return {
        {"streaming tokenizer", [](const fs::path& f) { return f / "vocab.json"; },
         [](const fs::path& f) { Tokenizer{f / "vocab.json"}; }, Tokenizer::maximumFileBytes},
        {"Nemotron metadata", [](const fs::path& f) { return f / "metadata.json"; },
         [](const fs::path& f) { NemotronStreamingConfig::from(f / "metadata.json"); },
         NemotronStreamingConfig::maximumFileBytes},
        {"multilingual Nemotron metadata", [](const fs::path& f) { return f / "metadata.json"; },
         [](const fs::path& f) { NemotronMultilingualStreamingConfig::from(f / "metadata.json"); },
         NemotronStreamingConfig::maximumFileBytes},
        {"BPE tokenizer", [](const fs::path& f) { return f / "tokenizer.json"; },
         [](const fs::path& f) { BpeTokenizer::load(f); }, BpeTokenizer::maximumFileBytes},
        {"CTC vocabulary", [](const fs::path& f) { return f / "vocab.json"; },
         [](const fs::path& f) { CtcModels::loadVocabulary(f); }, ParakeetVocabulary::maximumFileBytes},
        {"language-model vocabulary", [](const fs::path& f) { return f / "vocab.json"; },
         [](const fs::path& f) { ParakeetLanguageModelsSupport::readVocabulary(f / "vocab.json"); },
         ParakeetVocabulary::maximumFileBytes},
        {"custom vocabulary", [](const fs::path& f) { return f / "vocabulary.json"; },
         [](const fs::path& f) { CustomVocabularyContext::load(f / "vocabulary.json"); }, std::nullopt},
    };
}

// The reason, whether the reader throws it as it is or logs it before
// throwing its own error.
std::string failureOf(const Reader& reader, const fs::path& folder) {
    platform::ScopedLogCapture log;
    try {
        reader.read(folder);
    } catch (const platform::JsonNestingError& error) {
        return error.what();
    } catch (const platform::FileTooLargeError& error) {
        return error.what();
    } catch (const std::exception& error) {
        std::string text = error.what();
        for (const auto& message : log.sink().messages()) text += " | log: " + message;
        return text;
    }
    return "read without an error";
}

TEST(HostileJsonFileTest, DeeplyNestedJsonIsRefusedAsTooDeep) {
    for (const auto& reader : readers()) {
        SCOPED_TRACE(reader.name);
        testsupport::TemporaryDirectory folder;
        const auto file = reader.file(folder.path());
        fs::create_directories(file.parent_path());
        std::ofstream(file) << deeplyNested(hostileDepth);
        EXPECT_NE(failureOf(reader, folder.path()).find("JSON nested more than 128 levels deep"), std::string::npos)
            << failureOf(reader, folder.path());
    }
}

TEST(HostileJsonFileTest, FilesFromTheNetworkBeyondTheirCapAreRefusedUnread) {
    for (const auto& reader : readers()) {
        if (!reader.maxBytes) continue;
        SCOPED_TRACE(reader.name);
        testsupport::TemporaryDirectory folder;
        const auto file = sparseFile(reader.file(folder.path()), *reader.maxBytes + 1);
        const auto failure = failureOf(reader, folder.path());
        EXPECT_NE(failure.find(file.string() + " is larger than " + std::to_string(*reader.maxBytes) + " bytes"),
                  std::string::npos)
            << failure;
    }
}

TEST(HostileJsonFileTest, TheVocabularyParserRefusesDeepNestingButKeepsEveryShallowDocument) {
    EXPECT_THROW(ParakeetVocabulary::parse(deeplyNested(hostileDepth)), platform::JsonNestingError);
    EXPECT_THROW(ParakeetVocabulary::parse(std::string(129, '[') + std::string(129, ']')), platform::JsonNestingError);
    EXPECT_EQ(ParakeetVocabulary::parse(std::string(128, '[') + std::string(128, ']')), std::nullopt);
    EXPECT_EQ(ParakeetVocabulary::parse(R"(["a","b"])"), (Vocabulary{{0, "a"}, {1, "b"}}));
}

TEST(HostileJsonFileTest, AFileAtItsCapIsStillRead) {
    std::istringstream exact(std::string(16, ' '));
    EXPECT_EQ(platform::readAtMost(exact, 16, "exact").size(), 16u);
    std::istringstream over(std::string(17, ' '));
    EXPECT_THROW(platform::readAtMost(over, 16, "over"), platform::FileTooLargeError);
}

} // namespace
} // namespace razeziruzer
