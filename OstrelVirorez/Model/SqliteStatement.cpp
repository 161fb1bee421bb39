#include "OstrelVirorez/Model/SqliteStatement.hpp"

#include "OstrelVirorez/Model/SqliteError.hpp"

#include <sqlite3.h>

namespace ostrelvirorez {

void SqliteStatement::Finalizer::operator()(sqlite3_stmt* statement) const {
    sqlite3_finalize(statement);
}

SqliteStatement::SqliteStatement(sqlite3* database, std::string_view sql) : database_(database) {
    sqlite3_stmt* statement = nullptr;
    const int result = sqlite3_prepare_v2(database, sql.data(), static_cast<int>(sql.size()), &statement, nullptr);
    statement_.reset(statement);
    check(result);
}

void SqliteStatement::check(int result) const {
    if (result == SQLITE_OK || result == SQLITE_ROW || result == SQLITE_DONE) return;
    throw SqliteError(result, sqlite3_errmsg(database_));
}

void SqliteStatement::bind(int index, std::int64_t value) {
    check(sqlite3_bind_int64(statement_.get(), index, value));
}

void SqliteStatement::bind(int index, std::string_view value) {
    check(sqlite3_bind_text64(statement_.get(), index, value.data(), value.size(), SQLITE_TRANSIENT, SQLITE_UTF8));
}

void SqliteStatement::bind(int index, const std::optional<std::string>& value) {
    if (value) {
        bind(index, std::string_view(*value));
    } else {
        check(sqlite3_bind_null(statement_.get(), index));
    }
}

bool SqliteStatement::step() {
    const int result = sqlite3_step(statement_.get());
    check(result);
    return result == SQLITE_ROW;
}

std::int64_t SqliteStatement::int64Column(int index) const {
    return sqlite3_column_int64(statement_.get(), index);
}

std::string SqliteStatement::textColumn(int index) const {
    const auto* text = sqlite3_column_text(statement_.get(), index);
    const auto size = static_cast<std::size_t>(sqlite3_column_bytes(statement_.get(), index));
    return text ? std::string(reinterpret_cast<const char*>(text), size) : std::string();
}

std::optional<std::string> SqliteStatement::optionalTextColumn(int index) const {
    if (sqlite3_column_type(statement_.get(), index) == SQLITE_NULL) return std::nullopt;
    return textColumn(index);
}

} // namespace ostrelvirorez
