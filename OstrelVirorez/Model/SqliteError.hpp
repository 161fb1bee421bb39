#pragma once
// A failed SQLite call: SQLite's message and its primary result code, so a
// caller can tell a damaged file from a busy or full one.

#include "Platform/Core/Error.hpp"

#include <string>

namespace ostrelvirorez {

class SqliteError : public platform::Error {
public:
    SqliteError(int resultCode, const std::string& message);

    // The primary result code (SQLITE_BUSY, SQLITE_CORRUPT, ...).
    int code() const noexcept { return code_; }
    // The file is no database, or a damaged one.
    bool isDamage() const noexcept;

private:
    int code_;
};

} // namespace ostrelvirorez
