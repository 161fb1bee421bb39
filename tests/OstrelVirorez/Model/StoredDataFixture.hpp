#pragma once
// A user-defaults file of its own for one test, with helpers to plant and
// read back raw JSON data values.

#include "Platform/Defaults/UserDefaults.hpp"
#include "tests/Support/TemporaryDirectory.hpp"

#include <nlohmann/json.hpp>

#include <string>

namespace ostrelvirorez::testfixtures {

class StoredDataFixture {
public:
    StoredDataFixture() : defaults_(directory_ / "defaults.json") {}

    platform::UserDefaults& defaults() { return defaults_; }

    void store(const std::string& key, const std::string& bytes) {
        defaults_.set(key, platform::DefaultsValue(platform::DefaultsValue::Data(bytes.begin(), bytes.end())));
    }
    std::string storedBytes(const std::string& key) const {
        const auto data = defaults_.dataValue(key);
        return data ? std::string(data->begin(), data->end()) : std::string();
    }
    nlohmann::json storedJson(const std::string& key) const { return nlohmann::json::parse(storedBytes(key)); }

private:
    testsupport::TemporaryDirectory directory_;
    platform::UserDefaults defaults_;
};

} // namespace ostrelvirorez::testfixtures
