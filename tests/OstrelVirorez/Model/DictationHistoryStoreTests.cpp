#include "OstrelVirorez/Model/DictationHistoryStore.hpp"
#include "OstrelVirorez/Model/SqliteDatabase.hpp"
#include "Platform/Core/Error.hpp"
#include "Platform/Core/Logger.hpp"

#include "tests/Support/ScopedEnvironment.hpp"
#include "tests/Support/TemporaryDirectory.hpp"

#include <gtest/gtest.h>

#include <fstream>

namespace {

using namespace ostrelvirorez;
using namespace std::chrono_literals;

const std::string fallbackMessage = "DictationHistoryStore: ModelContainer creation failed (";

class DictationHistoryStoreTest : public testing::Test {
protected:
    std::filesystem::path storeFile() const { return folder / "history" / "DictationHistory.sqlite"; }

    DictationHistoryStore::Now clock() {
        return [this] { return now; };
    }

    std::vector<std::string> texts(const DictationHistoryStore& store) const {
        std::vector<std::string> result;
        for (const auto& entry : store.container().entriesNewestFirst()) result.push_back(entry.text);
        return result;
    }

    testsupport::TemporaryDirectory folder;
    std::chrono::system_clock::time_point now = std::chrono::system_clock::time_point(1'700'000'000s);
};

TEST_F(DictationHistoryStoreTest, RecordsEveryDictationNewestFirstAndKeepsThemAcrossLaunches) {
    {
        DictationHistoryStore store(false, storeFile(), clock());
        store.record("first", "Mail", std::string("zar.apple.mail"), "raw");
        now += 1s;
        store.record("second", "Notes", std::string("zar.apple.Notes"), "claude");
        now += 1s;
        store.record("third", "Slack", std::string("zar.tinyspeck.slackmacgap"), "clipboardRewrite");
        EXPECT_FALSE(store.container().isStoredInMemoryOnly());
        EXPECT_EQ(texts(store), (std::vector<std::string>{"third", "second", "first"}));
    }
    DictationHistoryStore reopened(false, storeFile(), clock());
    const auto entries = reopened.container().entriesNewestFirst();
    ASSERT_EQ(entries.size(), 3u);
    EXPECT_EQ(entries[0].mode, "clipboardRewrite");
    EXPECT_EQ(entries[0].appName, "Slack");
    EXPECT_EQ(entries[0].appBundleIdentifier, "zar.tinyspeck.slackmacgap");
    EXPECT_EQ(entries[0].timestamp, now);
    EXPECT_EQ(entries[2].timestamp, now - 2s);
    EXPECT_NE(entries[0].persistentID, entries[1].persistentID);
}

TEST_F(DictationHistoryStoreTest, UnknownApplicationHasNoBundleIdentifierAndTextIsKeptAsGiven) {
    DictationHistoryStore store(false, storeFile(), clock());
    const std::string text = "Zeile eins\r\nZeile \"zwei\" – 'drei' 🎙 und mehr";
    store.record(text, "Unbekannt", std::nullopt, "raw");
    store.record("", "", std::string(""), "claude");
    const auto entries = store.container().entriesNewestFirst();
    ASSERT_EQ(entries.size(), 2u);
    EXPECT_EQ(entries[1].text, text);
    EXPECT_EQ(entries[1].appName, "Unbekannt");
    EXPECT_FALSE(entries[1].appBundleIdentifier.has_value());
    EXPECT_EQ(entries[0].appBundleIdentifier, "");
}

TEST_F(DictationHistoryStoreTest, EntriesOfTheSameMomentListTheLaterRecordFirst) {
    DictationHistoryStore store(false, storeFile(), clock());
    store.record("a", "App", std::nullopt, "raw");
    store.record("b", "App", std::nullopt, "raw");
    EXPECT_EQ(texts(store), (std::vector<std::string>{"b", "a"}));
}

TEST_F(DictationHistoryStoreTest, DeletingOneOrAllEntriesIsSaved) {
    {
        DictationHistoryStore store(false, storeFile(), clock());
        for (const char* text : {"a", "b", "c"}) {
            store.record(text, "App", std::nullopt, "raw");
            now += 1s;
        }
        const auto entries = store.container().entriesNewestFirst();
        store.container().deleteEntry(entries[1]);
        EXPECT_EQ(texts(store), (std::vector<std::string>{"c", "a"}));
    }
    DictationHistoryStore reopened(false, storeFile(), clock());
    EXPECT_EQ(texts(reopened), (std::vector<std::string>{"c", "a"}));
    reopened.container().deleteAll();
    EXPECT_TRUE(reopened.container().entriesNewestFirst().empty());
    // Identities are not handed out again after a deletion.
    reopened.record("d", "App", std::nullopt, "raw");
    EXPECT_GT(reopened.container().entriesNewestFirst().front().persistentID, 3);
}

TEST_F(DictationHistoryStoreTest, EverySavedChangeIsAnnouncedAndARefusedDeletionKeepsTheEntries) {
    DictationHistoryStore store(false, storeFile(), clock());
    int announcements = 0;
    const auto observer = store.container().changed.connect([&] { ++announcements; });
    for (const char* text : {"a", "b", "c"}) {
        store.record(text, "App", std::nullopt, "raw");
        now += 1s;
    }
    EXPECT_EQ(announcements, 3);
    store.container().deleteEntry(store.container().entriesNewestFirst()[1]);
    EXPECT_EQ(announcements, 4);

    // Another writer makes the store refuse deletions from now on.
    SqliteDatabase(storeFile()).execute("CREATE TRIGGER refuseDeletion BEFORE DELETE ON DictationHistoryEntry "
                                        "BEGIN SELECT RAISE(ABORT, 'deletion refused'); END");
    const auto newest = store.container().entriesNewestFirst().front();
    EXPECT_THROW(store.container().deleteEntry(newest), platform::Error);
    EXPECT_THROW(store.container().deleteAll(), platform::Error);
    EXPECT_EQ(announcements, 4);
    EXPECT_EQ(texts(store), (std::vector<std::string>{"c", "a"}));
}

TEST_F(DictationHistoryStoreTest, InMemoryStoreWritesNoFile) {
    DictationHistoryStore store(true, storeFile(), clock());
    store.record("a", "App", std::nullopt, "raw");
    EXPECT_TRUE(store.container().isStoredInMemoryOnly());
    EXPECT_EQ(texts(store), std::vector<std::string>{"a"});
    EXPECT_FALSE(std::filesystem::exists(storeFile()));
}

TEST_F(DictationHistoryStoreTest, UnusableStoresFallBackToMemoryWithOneLogLineAndAreLeftIntact) {
    const std::string damaged = "this is not a database, but someone's data\n";
    const auto notADatabase = folder.write("damaged/DictationHistory.sqlite", damaged);
    const auto blockedFolder = folder.write("blocked", "a file where the store's folder should be");

    for (const auto& file : {notADatabase, blockedFolder / "DictationHistory.sqlite"}) {
        platform::ScopedLogCapture capture;
        DictationHistoryStore store(false, file, clock());
        store.record("kept for this run", "App", std::nullopt, "raw");
        EXPECT_TRUE(store.container().isStoredInMemoryOnly()) << file;
        EXPECT_EQ(texts(store), std::vector<std::string>{"kept for this run"});

        const auto messages = capture.sink().messages();
        ASSERT_EQ(messages.size(), 1u) << file;
        EXPECT_EQ(messages[0].rfind(fallbackMessage, 0), 0u) << messages[0];
        EXPECT_TRUE(messages[0].ends_with("), falling back to in-memory")) << messages[0];
        EXPECT_EQ(capture.sink().records()[0].subsystem, "zar.zozorudirozo.OstrelVirorez");
        EXPECT_EQ(capture.sink().records()[0].category, "dictation");
    }
    EXPECT_EQ(folder.read("damaged/DictationHistory.sqlite"), damaged);
}

TEST_F(DictationHistoryStoreTest, StoreOfAnotherSchemaVersionIsNotTouched) {
    {
        DictationHistoryStore store(false, storeFile(), clock());
        store.record("old", "App", std::nullopt, "raw");
    }
    {
        SqliteDatabase database(storeFile());
        database.execute("UPDATE schemaInfo SET value = '2.0.0' WHERE name = 'version'");
    }
    platform::ScopedLogCapture capture;
    DictationHistoryStore store(false, storeFile(), clock());
    EXPECT_TRUE(store.container().isStoredInMemoryOnly());
    EXPECT_TRUE(capture.contains("unknown schema version 2.0.0"));
    EXPECT_TRUE(texts(store).empty());
}

TEST_F(DictationHistoryStoreTest, DefaultLocationIsTheApplicationsDataFolder) {
    testsupport::ScopedEnvironment environment;
    environment.set("XDG_DATA_HOME", folder.path().string());
    EXPECT_EQ(DictationHistoryStore::defaultStoreFile(), folder / "OstrelVirorez" / "DictationHistory.sqlite");
    DictationHistoryStore store(false);
    store.record("a", "App", std::nullopt, "raw");
    EXPECT_TRUE(std::filesystem::exists(folder / "OstrelVirorez" / "DictationHistory.sqlite"));
}

} // namespace
