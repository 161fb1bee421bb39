#pragma once
// One prepared SQLite statement, finalized when it goes away. Parameters and
// columns are numbered as SQLite numbers them (parameters from 1, columns
// from 0). Failures throw SqliteError.

#include <cstdint>
#include <memory>
#include <optional>
#include <string>
#include <string_view>

struct sqlite3;
struct sqlite3_stmt;

namespace ostrelvirorez {

class SqliteStatement {
public:
    SqliteStatement(sqlite3* database, std::string_view sql);

    void bind(int index, std::int64_t value);
    void bind(int index, std::string_view value);
    void bind(int index, const std::optional<std::string>& value);

    // True while a row is available, false once the statement is done.
    bool step();

    std::int64_t int64Column(int index) const;
    std::string textColumn(int index) const;
    std::optional<std::string> optionalTextColumn(int index) const;

private:
    struct Finalizer {
        void operator()(sqlite3_stmt* statement) const;
    };

    void check(int result) const;

    sqlite3* database_;
    std::unique_ptr<sqlite3_stmt, Finalizer> statement_;
};

} // namespace ostrelvirorez
