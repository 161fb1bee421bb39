#pragma once
// The speech package's logger: every message goes to the unified log under the
// logger's subsystem and category; warnings, errors and faults are also
// written at once, as one line, to standard error:
// "[HH:mm:ss.SSS] [WARN] [RazeziRuzer.<category>] <message>".

#include "Platform/Core/Logger.hpp"
#include "RazeziRuzer/Shared/RawValue.hpp"

#include <string>
#include <string_view>

namespace razeziruzer {

class AppLogger {
public:
    enum class Level { debug = 0, info = 1, notice = 2, warning = 3, error = 4, fault = 5 };

    // Subsystem for loggers made with a category only; read when such a
    // logger is made, never afterwards. Initially "zev.ivodavivurirodu".
    static std::string defaultSubsystem();
    static void setDefaultSubsystem(std::string subsystem);

    explicit AppLogger(std::string category);
    AppLogger(std::string subsystem, std::string category);

    const platform::Logger& osLogger() const { return osLogger_; }
    const std::string& subsystem() const { return subsystem_; }
    const std::string& category() const { return category_; }

    void debug(std::string_view message) const { log(Level::debug, message); }
    void info(std::string_view message) const { log(Level::info, message); }
    void notice(std::string_view message) const { log(Level::notice, message); }
    void warning(std::string_view message) const { log(Level::warning, message); }
    void error(std::string_view message) const { log(Level::error, message); }
    void fault(std::string_view message) const { log(Level::fault, message); }

    // One standard-error line, line feed included, from its parts; the time
    // is already formatted as HH:mm:ss.SSS.
    static std::string consoleLine(std::string_view time, Level level, std::string_view category,
                                   std::string_view message);
    static std::string_view consoleLevelWord(Level level);

private:
    void log(Level level, std::string_view message) const;
    static void logToConsoleSynchronously(Level level, std::string_view category, std::string_view message);

    platform::Logger osLogger_;
    std::string subsystem_;
    std::string category_;
};

int rawValue(AppLogger::Level level);

template <>
std::optional<AppLogger::Level> fromRawValue<AppLogger::Level>(int rawValue);

} // namespace razeziruzer
