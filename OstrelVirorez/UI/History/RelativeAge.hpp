#pragma once
// How long ago something happened, in the words of a locale's relative date
// style ("vor 5 Minuten", "5 minutes ago"), in the largest whole unit.

#include <chrono>
#include <string>

namespace ostrelvirorez {

// `locale` like "de" or "en_US"; empty for the process's locale. A moment in
// the future counts as now.
std::string relativeAgeText(std::chrono::system_clock::time_point moment, std::chrono::system_clock::time_point now,
                            const std::string& locale = {});

} // namespace ostrelvirorez
