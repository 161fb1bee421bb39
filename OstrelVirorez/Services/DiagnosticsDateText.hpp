#pragma once
// A moment in the locale's abbreviated date style and shortened time style,
// for example "14.11.2023, 22:13" in German.

#include <chrono>
#include <string>

namespace ostrelvirorez {

// `locale` like "de_DE" and `timeZone` an IANA id; empty means the process's
// own locale and zone.
std::string diagnosticsDateText(std::chrono::system_clock::time_point moment, const std::string& locale = {},
                                const std::string& timeZone = {});

} // namespace ostrelvirorez
