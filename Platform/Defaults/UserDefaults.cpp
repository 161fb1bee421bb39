#include "Platform/Defaults/UserDefaults.hpp"

#include "Platform/Defaults/DefaultsStore.hpp"
#include "Platform/Files/XdgDirectories.hpp"

namespace platform {

namespace {

template <typename T>
std::optional<T> typed(const std::optional<DefaultsValue>& value) {
    if (!value) return std::nullopt;
    if (const auto* typedValue = value->as<T>()) return *typedValue;
    return std::nullopt;
}

} // namespace

UserDefaults::UserDefaults(const std::filesystem::path& file) : store_(DefaultsStore::shared(file)) {}

UserDefaults::~UserDefaults() = default;

UserDefaults& UserDefaults::standard() {
    static UserDefaults defaults(standardFile());
    return defaults;
}

std::filesystem::path UserDefaults::standardFile() {
    return files::configHome() / "OstrelVirorez" / "OstrelVirorez.json";
}

const std::filesystem::path& UserDefaults::file() const { return store_->file(); }

void UserDefaults::registerDefaults(const DefaultsValue::Dictionary& defaults) { store_->registerDefaults(defaults); }

std::optional<DefaultsValue> UserDefaults::value(const std::string& key) const { return store_->value(key); }

bool UserDefaults::contains(const std::string& key) const { return store_->contains(key); }

std::optional<bool> UserDefaults::boolValue(const std::string& key) const { return typed<bool>(value(key)); }

std::optional<std::int64_t> UserDefaults::integerValue(const std::string& key) const {
    return typed<std::int64_t>(value(key));
}

std::optional<double> UserDefaults::doubleValue(const std::string& key) const { return typed<double>(value(key)); }

std::optional<std::string> UserDefaults::stringValue(const std::string& key) const {
    return typed<std::string>(value(key));
}

std::optional<DefaultsValue::Data> UserDefaults::dataValue(const std::string& key) const {
    return typed<DefaultsValue::Data>(value(key));
}

std::optional<DefaultsValue::Array> UserDefaults::arrayValue(const std::string& key) const {
    return typed<DefaultsValue::Array>(value(key));
}

std::optional<DefaultsValue::Dictionary> UserDefaults::dictionaryValue(const std::string& key) const {
    return typed<DefaultsValue::Dictionary>(value(key));
}

bool UserDefaults::boolOrFalse(const std::string& key) const { return boolValue(key).value_or(false); }

std::int64_t UserDefaults::integerOrZero(const std::string& key) const { return integerValue(key).value_or(0); }

double UserDefaults::doubleOrZero(const std::string& key) const { return doubleValue(key).value_or(0.0); }

void UserDefaults::set(const std::string& key, const DefaultsValue& value) { store_->set(key, value); }

void UserDefaults::remove(const std::string& key) { store_->remove(key); }

bool UserDefaults::hasWrittenValue(const std::string& key) const { return store_->hasWrittenValue(key); }

bool UserDefaults::keepUnreadable(const std::string& key, const std::string& reason) {
    return store_->keepUnreadable(key, reason);
}

std::string UserDefaults::unreadableKey(const std::string& key) { return DefaultsStore::unreadableKey(key); }

bool UserDefaults::synchronize() { return store_->synchronize(); }

void UserDefaults::reloadIfChangedOnDisk() { store_->reloadIfChangedOnDisk(); }

Signal<std::string>& UserDefaults::changed() { return store_->changed(); }

} // namespace platform
