#pragma once
// A history store in a file of the test's own with a clock the test moves,
// the settings beside it, and a way to make the store refuse deletions the
// way a failing save would.

#include "OstrelVirorez/Model/AppSettings.hpp"
#include "OstrelVirorez/Model/DictationHistoryStore.hpp"
#include "OstrelVirorez/Model/SqliteDatabase.hpp"
#include "Platform/Defaults/UserDefaults.hpp"
#include "tests/Support/TemporaryDirectory.hpp"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace ostrelvirorez::testing {

class HistoryFixture : public ::testing::Test {
protected:
    using Clock = std::chrono::system_clock;

    HistoryFixture() { settings.setDictationHistoryEnabled(true); }

    // Oldest first; each a minute after the one before.
    void record(const std::string& text, const std::string& appName, const std::string& mode = "raw") {
        store.record(text, appName, std::nullopt, mode);
        now += std::chrono::minutes(1);
    }
    Clock::time_point currentTime() const { return now; }
    std::vector<std::string> storedTexts() const {
        std::vector<std::string> texts;
        for (const auto& entry : store.container().entriesNewestFirst()) texts.push_back(entry.text);
        return texts;
    }
    // Another writer makes the store refuse every deletion, or allow them again.
    void refuseDeletions(bool refuse) const {
        SqliteDatabase database(folder / "history.sqlite");
        database.execute(refuse ? "CREATE TRIGGER refuseDeletion BEFORE DELETE ON DictationHistoryEntry "
                                  "BEGIN SELECT RAISE(ABORT, 'disk I/O error'); END"
                                : "DROP TRIGGER refuseDeletion");
    }

    testsupport::TemporaryDirectory folder;
    platform::UserDefaults defaults{folder / "defaults.json"};
    AppSettings settings{defaults};
    Clock::time_point now = Clock::time_point(std::chrono::seconds(1'700'000'000));
    DictationHistoryStore store{false, folder / "history.sqlite", [this] { return now; }};
};

} // namespace ostrelvirorez::testing
