#pragma once
// An open SQLite database, closed when it goes away: a file, or a private
// database in memory. Failures throw SqliteError. A statement that finds the
// file locked by another connection waits up to the busy time-out for it.

#include "OstrelVirorez/Model/SqliteStatement.hpp"

#include <chrono>
#include <filesystem>
#include <memory>
#include <optional>
#include <string_view>

struct sqlite3;

namespace ostrelvirorez {

class SqliteDatabase {
public:
    static constexpr std::chrono::milliseconds defaultBusyTimeout{2000};

    // Opens or creates the database in `file`; nullopt opens one in memory.
    explicit SqliteDatabase(const std::optional<std::filesystem::path>& file,
                            std::chrono::milliseconds busyTimeout = defaultBusyTimeout);

    // Runs statements that return no rows.
    void execute(std::string_view sql);
    SqliteStatement prepare(std::string_view sql);
    std::int64_t lastInsertRowId() const;

private:
    struct Closer {
        void operator()(sqlite3* database) const;
    };

    std::unique_ptr<sqlite3, Closer> database_;
};

} // namespace ostrelvirorez
