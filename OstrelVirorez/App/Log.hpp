#pragma once
// The application's one log channel. The dictation core, the integrations
// and the clean-up stages log only through it, as a rule with logVirorez.

#include <string_view>

namespace platform {
class Logger;
}

namespace ostrelvirorez {

// Subsystem "zar.zozorudirozo.OstrelVirorez", category "dictation"; made on
// first use.
const platform::Logger& virorezLogger();

// Writes the message at the info level.
void logVirorez(std::string_view message);

// For what the user dictated, or had rewritten, which is private: `summary`
// (stages, lengths, never the text) at the info level, `detail` with the
// text only at the debug level.
void logVirorezPrivate(std::string_view summary, std::string_view detail);

} // namespace ostrelvirorez
