#pragma once
// The stores the editors work on, over a user-defaults file of the test's
// own: the settings, a dictionary and a snippet store that start empty (so
// that only the test's entries are listed), and helpers that read back what
// a fresh store would load.

#include "OstrelVirorez/Model/AppSettings.hpp"
#include "OstrelVirorez/Model/DictionaryService.hpp"
#include "OstrelVirorez/Model/SnippetService.hpp"
#include "tests/OstrelVirorez/Model/StoredDataFixture.hpp"

#include <gtest/gtest.h>

#include <chrono>
#include <memory>
#include <string>

namespace ostrelvirorez::testing::editortests {

inline DictionaryCorrection correction(std::string source, std::string replacement, bool learned = false) {
    return {platform::Uuid(), std::move(source), std::move(replacement), std::nullopt, false, learned, {}};
}

inline Snippet snippet(std::string trigger, std::string replacement, bool isEnabled = true) {
    return {platform::Uuid(), std::move(trigger), std::move(replacement), false, isEnabled};
}

class EditorsFixture : public ::testing::Test {
protected:
    EditorsFixture() {
        data.store("dictionaryCorrections", "[]");
        data.store("snippets", "[]");
        dictionary = std::make_unique<DictionaryService>(data.defaults());
        snippets = std::make_unique<SnippetService>(
            data.defaults(), [] { return std::optional<std::string>(); },
            [] { return std::chrono::system_clock::time_point(); });
    }

    // What the stores would load now, read afresh from the stored data.
    std::vector<DictionaryCorrection> storedCorrections() { return DictionaryService(data.defaults()).corrections(); }
    std::vector<Snippet> storedSnippets() {
        return SnippetService(data.defaults(), [] { return std::optional<std::string>(); },
                              [] { return std::chrono::system_clock::time_point(); })
            .snippets();
    }

    testfixtures::StoredDataFixture data;
    AppSettings settings{data.defaults()};
    std::unique_ptr<DictionaryService> dictionary;
    std::unique_ptr<SnippetService> snippets;
};

} // namespace ostrelvirorez::testing::editortests
