#include "OstrelVirorez/Model/SqliteError.hpp"

#include <sqlite3.h>

namespace ostrelvirorez {

SqliteError::SqliteError(int resultCode, const std::string& message)
    : platform::Error("SQLite: " + message), code_(resultCode & 0xff) {}

bool SqliteError::isDamage() const noexcept {
    return code_ == SQLITE_NOTADB || code_ == SQLITE_CORRUPT;
}

} // namespace ostrelvirorez
