#pragma once
// A settings store over a fresh defaults file, recording every key written
// with the value it then reads as text, in order.

#include "OstrelVirorez/Model/AppSettings.hpp"
#include "Platform/Defaults/UserDefaults.hpp"
#include "tests/Support/TemporaryDirectory.hpp"

#include <sstream>
#include <string>
#include <vector>

namespace ostrelvirorez::testing {

struct GeneralTestSettings {
    GeneralTestSettings() {
        writes = defaults.changed().connect([this](const std::string& key) {
            const auto value = defaults.value(key);
            written.push_back(key + "=" + (value ? describe(*value) : std::string("<removed>")));
        });
    }

    static std::string describe(const platform::DefaultsValue& value) {
        if (const auto* text = value.as<std::string>()) return *text;
        if (const auto* flag = value.as<bool>()) return *flag ? "true" : "false";
        if (const auto* integer = value.as<std::int64_t>()) return std::to_string(*integer);
        if (const auto* number = value.as<double>()) {
            std::ostringstream shown;
            shown << *number;
            return shown.str();
        }
        return "<other>";
    }

    testsupport::TemporaryDirectory folder;
    platform::UserDefaults defaults{folder / "defaults.json"};
    AppSettings settings{defaults};
    std::vector<std::string> written;
    platform::Connection writes;
};

} // namespace ostrelvirorez::testing
