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

std::vector<std::filesystem::path> damagedCopies(const std::filesystem::path& folder) {
    std::vector<std::filesystem::path> copies;
    for (const auto& entry : std::filesystem::directory_iterator(folder)) {
        if (entry.path().filename().string().starts_with("DictationHistory.sqlite.damaged-")) copies.push_back(entry.path());
    }
    return copies;
}

TEST_F(DictationHistoryStoreTest, DamagedStoreIsKeptAsideAndANewOneKeepsTheHistory) {
    const std::string damaged = "this is not a database, but someone's data\n";
    folder.write("history/DictationHistory.sqlite", damaged);
    {
        platform::ScopedLogCapture capture;
        DictationHistoryStore store(false, storeFile(), clock());
        store.record("kept", "App", std::nullopt, "raw");
        EXPECT_FALSE(store.container().isStoredInMemoryOnly());
        ASSERT_TRUE(store.lastProblem());
        EXPECT_NE(store.lastProblem()->find("was damaged"), std::string::npos);
        const auto records = capture.sink().records();
        ASSERT_EQ(records.size(), 1u);
        EXPECT_EQ(records[0].level, platform::LogLevel::warning);
        EXPECT_NE(records[0].message.find("kept it as"), std::string::npos);
    }
    const auto copies = damagedCopies(folder / "history");
    ASSERT_EQ(copies.size(), 1u);
    EXPECT_EQ(folder.read(std::filesystem::relative(copies[0], folder.path()).string()), damaged);

    DictationHistoryStore reopened(false, storeFile(), clock());
    EXPECT_FALSE(reopened.lastProblem());
    EXPECT_EQ(texts(reopened), std::vector<std::string>{"kept"});
}

TEST_F(DictationHistoryStoreTest, StoreThatCannotBeOpenedKeepsTheRunInMemoryAndSaysSo) {
    const auto blockedFolder = folder.write("blocked", "a file where the store's folder should be");
    platform::ScopedLogCapture capture;
    DictationHistoryStore store(false, blockedFolder / "DictationHistory.sqlite", clock());
    store.record("kept for this run", "App", std::nullopt, "raw");
    EXPECT_TRUE(store.container().isStoredInMemoryOnly());
    EXPECT_EQ(texts(store), std::vector<std::string>{"kept for this run"});
    ASSERT_TRUE(store.lastProblem());
    EXPECT_NE(store.lastProblem()->find("cannot be opened"), std::string::npos);

    const auto records = capture.sink().records();
    ASSERT_EQ(records.size(), 1u);
    EXPECT_EQ(records[0].level, platform::LogLevel::warning);
    EXPECT_EQ(records[0].message.rfind(fallbackMessage, 0), 0u) << records[0].message;
    EXPECT_TRUE(records[0].message.ends_with("), falling back to in-memory")) << records[0].message;
    EXPECT_EQ(records[0].subsystem, "zar.zozorudirozo.OstrelVirorez");
    EXPECT_EQ(records[0].category, "dictation");
}

// Another program holds the store's lock when the application starts: the
// entries of the run wait in memory and move into the file once it opens.
TEST_F(DictationHistoryStoreTest, StoreLockedAtStartTakesTheRunsEntriesOnceItOpens) {
    {
        DictationHistoryStore earlier(false, storeFile(), clock());
        earlier.record("earlier", "App", std::nullopt, "raw");
    }
    SqliteDatabase locker(storeFile(), 0ms);
    locker.execute("BEGIN EXCLUSIVE");
    now += 1s;
    DictationHistoryStore store(false, storeFile(), clock(), 0ms);
    EXPECT_TRUE(store.container().isStoredInMemoryOnly());
    ASSERT_TRUE(store.lastProblem());
    store.record("while locked", "App", std::nullopt, "raw");
    EXPECT_TRUE(store.container().isStoredInMemoryOnly());

    locker.execute("COMMIT");
    now += 1s;
    store.record("after", "App", std::nullopt, "raw");
    EXPECT_FALSE(store.container().isStoredInMemoryOnly());
    EXPECT_EQ(texts(store), (std::vector<std::string>{"after", "while locked", "earlier"}));
    EXPECT_TRUE(damagedCopies(folder / "history").empty());
}

// A save that fails (the store locked by another program, the disk full)
// keeps the entry; it is saved with the next dictation, in order, and the
// failure is reported once until saving works again.
TEST_F(DictationHistoryStoreTest, FailedSavesAreKeptReportedOnceAndSavedWithTheNextEntry) {
    DictationHistoryStore store(false, storeFile(), clock(), 0ms);
    std::vector<std::string> reported;
    const auto observer = store.problemReported().connect([&](const std::string& problem) { reported.push_back(problem); });
    platform::ScopedLogCapture capture;
    {
        SqliteDatabase locker(storeFile(), 0ms);
        locker.execute("BEGIN EXCLUSIVE");
        for (const char* text : {"a", "b"}) {
            store.record(text, "App", std::nullopt, "raw");
            now += 1s;
        }
        EXPECT_EQ(store.unsavedEntries().size(), 2u);
        ASSERT_EQ(reported.size(), 1u);
        EXPECT_NE(reported[0].find("could not be saved"), std::string::npos);
        ASSERT_EQ(capture.sink().records().size(), 1u);
        EXPECT_EQ(capture.sink().records()[0].level, platform::LogLevel::warning);
        locker.execute("COMMIT");
    }
    store.record("c", "App", std::nullopt, "raw");
    EXPECT_TRUE(store.unsavedEntries().empty());
    EXPECT_EQ(texts(store), (std::vector<std::string>{"c", "b", "a"}));
    EXPECT_EQ(reported.size(), 1u);
}

TEST_F(DictationHistoryStoreTest, EntriesStillUnsavedAtTheEndGetALastAttempt) {
    {
        DictationHistoryStore store(false, storeFile(), clock(), 0ms);
        SqliteDatabase locker(storeFile(), 0ms);
        locker.execute("BEGIN EXCLUSIVE");
        store.record("last words", "App", std::nullopt, "raw");
        EXPECT_EQ(store.unsavedEntries().size(), 1u);
        locker.execute("COMMIT");
    }
    DictationHistoryStore reopened(false, storeFile(), clock());
    EXPECT_EQ(texts(reopened), std::vector<std::string>{"last words"});
}

TEST_F(DictationHistoryStoreTest, ConnectionsWaitForAnotherWritersLockByDefault) {
    SqliteDatabase database(std::nullopt);
    auto timeout = database.prepare("PRAGMA busy_timeout");
    ASSERT_TRUE(timeout.step());
    EXPECT_EQ(timeout.int64Column(0), SqliteDatabase::defaultBusyTimeout.count());
    EXPECT_GE(SqliteDatabase::defaultBusyTimeout, 1000ms);
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
    EXPECT_TRUE(store.lastProblem());
    EXPECT_TRUE(texts(store).empty());
    EXPECT_TRUE(damagedCopies(folder / "history").empty());
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
