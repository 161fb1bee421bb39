#include "OstrelVirorez/Model/DictionaryService.hpp"

#include "OstrelVirorez/Model/AppSettings.hpp"

#include "Platform/Core/Logger.hpp"
#include "tests/OstrelVirorez/Model/StoredDataFixture.hpp"

#include <gtest/gtest.h>

#include <algorithm>

namespace {

using namespace ostrelvirorez;

DictionaryCorrection correction(std::string source, std::string replacement) {
    return {platform::Uuid(), std::move(source), std::move(replacement), std::nullopt, false, false, {}};
}

class DictionaryServiceTest : public ::testing::Test {
protected:
    // A service over an empty list, so that only the test's corrections apply.
    DictionaryService emptyService() {
        fixture.store("dictionaryCorrections", "[]");
        return DictionaryService(fixture.defaults());
    }

    testfixtures::StoredDataFixture fixture;
};

TEST_F(DictionaryServiceTest, FirstStartStoresTheDefaultsAtOnce) {
    DictionaryService service(fixture.defaults());
    EXPECT_EQ(service.storageKey(), "dictionaryCorrections");
    EXPECT_EQ(service.corrections(), DictionaryService::defaults());
    EXPECT_EQ(service.corrections().size(), 33u);
    for (const auto& entry : service.corrections()) EXPECT_FALSE(entry.caseSensitive);
    EXPECT_EQ(fixture.storedJson("dictionaryCorrections").size(), 33u);
    EXPECT_EQ(DictionaryService(fixture.defaults()).corrections(), DictionaryService::defaults());
}

TEST_F(DictionaryServiceTest, DefaultsCorrectWholeWordsInAnyCase) {
    DictionaryService service(fixture.defaults());
    const struct {
        const char* text;
        const char* expected;
    } cases[] = {{"we use core data here", "we use CoreData here"},
                 {"coredata", "coredata"},
                 {"pro res", "ProRes"},
                 {"Pro Res", "ProRes"},
                 {"die Da Vinci resolve Datei", "die DaVinci Resolve Datei"},
                 {"the view is qt quick over sq lite", "the view is Qt Quick over SQLite"},
                 {"QT Quick and SQ lite", "Qt Quick and SQLite"}};
    for (const auto& c : cases)
        EXPECT_EQ(service.applyCorrections(c.text, EngineType::parakeet, std::nullopt), c.expected) << c.text;
}

// The two framework entries name what the default custom vocabulary names:
// the twelfth and thirteenth defaults write the toolkit and the database the
// vocabulary lists.
TEST_F(DictionaryServiceTest, TheFrameworkEntriesUseTheNamesOfTheDefaultVocabulary) {
    const auto& defaults = DictionaryService::defaults();
    ASSERT_GE(defaults.size(), 13u);
    EXPECT_EQ(defaults[11].replacement, "Qt Quick");
    EXPECT_EQ(defaults[12].replacement, "SQLite");

    testfixtures::StoredDataFixture empty;
    const auto vocabulary = AppSettings(empty.defaults()).customVocabulary();
    for (const auto& entry : {defaults[11], defaults[12]}) {
        EXPECT_NE(std::find(vocabulary.begin(), vocabulary.end(), entry.replacement), vocabulary.end())
            << entry.replacement;
    }
}

TEST_F(DictionaryServiceTest, LongerSourcesFirstAndLaterCorrectionsSeeEarlierResults) {
    auto service = emptyService();
    service.add(correction("York", "Yorkshire"));
    service.add(correction("New York", "NYC"));
    service.add(correction("baz", "qux"));
    service.add(correction("foo bar", "baz"));
    service.add(correction("", "never"));
    EXPECT_EQ(service.applyCorrections("New York", EngineType::parakeet, std::nullopt), "NYC");
    EXPECT_EQ(service.applyCorrections("foo bar", EngineType::parakeet, std::nullopt), "qux");
}

TEST_F(DictionaryServiceTest, EqualLengthSourcesKeepListOrder) {
    auto service = emptyService();
    service.add(correction("ab", "cd"));
    service.add(correction("cd", "ef"));
    service.add(correction("ef", "ab"));
    // "ab" -> "cd" -> "ef" -> "ab": each applies to the output of the one before.
    EXPECT_EQ(service.applyCorrections("ab", EngineType::parakeet, std::nullopt), "ab");
    EXPECT_EQ(service.applyCorrections("ef", EngineType::parakeet, std::nullopt), "ab");
}

TEST_F(DictionaryServiceTest, EngineAndApplicationFilters) {
    auto service = emptyService();
    auto forHushframe = correction("alpha", "A");
    forHushframe.engineSpecific = EngineType::hushframe;
    auto forMail = correction("beta", "B");
    forMail.assignedApps = {{"org.example.Mail", "Mail"}, {"org.example.Notes", "Notes"}};
    auto caseSensitive = correction("Gamma", "G");
    caseSensitive.caseSensitive = true;
    service.add(forHushframe);
    service.add(forMail);
    service.add(caseSensitive);

    const std::string text = "alpha beta gamma Gamma";
    EXPECT_EQ(service.applyCorrections(text, EngineType::hushframe, "org.example.Notes"), "A B gamma G");
    EXPECT_EQ(service.applyCorrections(text, EngineType::parakeet, "org.example.Mail"), "alpha B gamma G");
    EXPECT_EQ(service.applyCorrections(text, EngineType::parakeet, "ORG.EXAMPLE.MAIL"), "alpha beta gamma G");
    EXPECT_EQ(service.applyCorrections(text, EngineType::parakeet, std::nullopt), "alpha beta gamma G");
}

TEST_F(DictionaryServiceTest, EditsSaveAndSurviveARestart) {
    auto service = emptyService();
    int changes = 0;
    const auto connection = service.correctionsChanged().connect([&] { ++changes; });
    auto learned = correction("teh", "the");
    learned.isAutoLearned = true;
    auto kept = correction("a", "b");
    auto last = correction("c", "d");
    service.add(kept);
    service.add(learned);
    service.add(last);
    kept.assignedApps = {{"org.example.Mail", "Mail"}};
    service.update(kept);
    service.removeAllAutoLearned();
    EXPECT_EQ(changes, 5);
    EXPECT_EQ(service.corrections(), (std::vector{kept, last}));
    EXPECT_EQ(DictionaryService(fixture.defaults()).corrections(), service.corrections());

    service.remove(last.id);
    EXPECT_EQ(DictionaryService(fixture.defaults()).corrections(), (std::vector{kept}));
    service.resetToDefaults();
    EXPECT_EQ(DictionaryService(fixture.defaults()).corrections(), DictionaryService::defaults());
}

TEST_F(DictionaryServiceTest, RemoveAllTakesOnlyTheListedIdsInOneSavedChange) {
    auto service = emptyService();
    const auto first = correction("a", "b");
    const auto second = correction("c", "d");
    const auto third = correction("e", "f");
    for (const auto& entry : {first, second, third}) service.add(entry);
    int changes = 0;
    const auto connection = service.correctionsChanged().connect([&] { ++changes; });
    service.removeAll({third.id, first.id, platform::Uuid()});
    EXPECT_EQ(changes, 1);
    EXPECT_EQ(service.corrections(), (std::vector{second}));
    EXPECT_EQ(DictionaryService(fixture.defaults()).corrections(), (std::vector{second}));
}

TEST_F(DictionaryServiceTest, UpdateOfAnUnknownIdChangesAndWritesNothing) {
    auto service = emptyService();
    service.add(correction("a", "b"));
    int changes = 0;
    const auto connection = service.correctionsChanged().connect([&] { ++changes; });
    fixture.store("dictionaryCorrections", "marker");
    service.update(correction("x", "y"));
    EXPECT_EQ(changes, 0);
    EXPECT_EQ(fixture.storedBytes("dictionaryCorrections"), "marker");
    EXPECT_EQ(service.corrections().size(), 1u);
}

TEST_F(DictionaryServiceTest, StoredFormAndOptionalKeys) {
    auto withEverything = correction("s", "r");
    withEverything.engineSpecific = EngineType::appleSpeech;
    withEverything.caseSensitive = true;
    withEverything.assignedApps = {{"org.example.Mail", "Mail"}};
    auto service = emptyService();
    service.add(withEverything);
    service.add(correction("plain", "p"));
    const auto stored = fixture.storedJson("dictionaryCorrections");
    EXPECT_EQ(stored[0]["id"], withEverything.id.toString());
    EXPECT_EQ(stored[0]["engineSpecific"], "appleSpeech");
    EXPECT_EQ(stored[0]["caseSensitive"], true);
    EXPECT_EQ(stored[0]["isAutoLearned"], false);
    EXPECT_EQ(stored[0]["assignedApps"][0]["bundleIdentifier"], "org.example.Mail");
    EXPECT_FALSE(stored[1].contains("engineSpecific"));

    // Missing and unreadable optional keys read leniently.
    fixture.store("dictionaryCorrections", R"([
        {"id":"6F9619FF-8B86-D011-B42D-00C04FC964FF","source":"a","replacement":"b"},
        {"id":"6f9619ff-8b86-d011-b42d-00c04fc964f0","source":"c","replacement":"d","engineSpecific":null,
         "caseSensitive":"yes","isAutoLearned":1,"assignedApps":[{"bundleIdentifier":"x"}],"extra":true}])");
    const auto read = DictionaryService(fixture.defaults()).corrections();
    ASSERT_EQ(read.size(), 2u);
    for (const auto& entry : read) {
        EXPECT_FALSE(entry.engineSpecific.has_value());
        EXPECT_FALSE(entry.caseSensitive);
        EXPECT_FALSE(entry.isAutoLearned);
        EXPECT_TRUE(entry.assignedApps.empty());
    }
}

TEST_F(DictionaryServiceTest, DamagedElementsCostOnlyThemselves) {
    const std::string damaged = R"([
        {"id":"6F9619FF-8B86-D011-B42D-00C04FC964FF","source":"keep me","replacement":"kept"},
        {"id":"6F9619FF-8B86-D011-B42D-00C04FC964F1","source":"x","replacement":"y","engineSpecific":"whisperX"},
        {"id":"not a uuid","source":"x","replacement":"y"},
        {"id":"6F9619FF-8B86-D011-B42D-00C04FC964F2","replacement":"no source"},
        "not an object",
        {"id":"6F9619FF-8B86-D011-B42D-00C04FC964F3","source":"also kept","replacement":"yes"}])";
    fixture.store("dictionaryCorrections", damaged);
    platform::ScopedLogCapture log;
    DictionaryService service(fixture.defaults());

    ASSERT_EQ(service.corrections().size(), 2u);
    EXPECT_EQ(service.corrections()[0].source, "keep me");
    EXPECT_EQ(service.corrections()[1].source, "also kept");
    EXPECT_TRUE(log.contains("skipped 4"));
    // Nothing is written over the stored value until the list changes, and
    // the raw value is kept aside for good.
    EXPECT_EQ(fixture.storedBytes("dictionaryCorrections"), damaged);
    const auto aside = fixture.defaults().arrayValue("dictionaryCorrections.unreadable");
    ASSERT_TRUE(aside.has_value());
    ASSERT_EQ(aside->size(), 1u);
    const auto* bytes = (*aside)[0].as<platform::DefaultsValue::Data>();
    ASSERT_NE(bytes, nullptr);
    EXPECT_EQ(std::string(bytes->begin(), bytes->end()), damaged);

    service.add(correction("new", "entry"));
    EXPECT_EQ(fixture.storedJson("dictionaryCorrections").size(), 3u);
    EXPECT_EQ(fixture.defaults().arrayValue("dictionaryCorrections.unreadable")->size(), 1u);
}

TEST_F(DictionaryServiceTest, UnreadableValueFallsBackToDefaultsButIsKeptAside) {
    for (const std::string stored : {"not json", R"({"an":"object"})", R"([{"source":"no id"}])"}) {
        testfixtures::StoredDataFixture own;
        own.store("dictionaryCorrections", stored);
        DictionaryService service(own.defaults());
        EXPECT_EQ(service.corrections(), DictionaryService::defaults()) << stored;
        EXPECT_EQ(own.storedBytes("dictionaryCorrections"), stored);
        EXPECT_TRUE(own.defaults().contains("dictionaryCorrections.unreadable")) << stored;
    }
}

} // namespace
