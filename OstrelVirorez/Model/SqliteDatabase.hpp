#pragma once
// An open SQLite database, closed when it goes away: a file, or a private
// database in memory. Failures throw platform::Error with SQLite's message.

#include "OstrelVirorez/Model/SqliteStatement.hpp"

#include <filesystem>
#include <memory>
#include <optional>
#include <string_view>

struct sqlite3;

namespace ostrelvirorez {

class SqliteDatabase {
public:
    // Opens or creates the database in `file`; nullopt opens one in memory.
    explicit SqliteDatabase(const std::optional<std::filesystem::path>& file);

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
