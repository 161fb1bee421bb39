#include "OstrelVirorez/Input/HidutilMappingStore.hpp"

#include "OstrelVirorez/App/Log.hpp"

#include <algorithm>
#include <charconv>
#include <sstream>

namespace ostrelvirorez {
namespace {

std::string trimmed(const std::string& text, const char* blanks) {
    const auto first = text.find_first_not_of(blanks);
    if (first == std::string::npos) return {};
    const auto last = text.find_last_not_of(blanks);
    return text.substr(first, last - first + 1);
}

bool isValidUtf8(const std::string& text) {
    std::size_t index = 0;
    while (index < text.size()) {
        const auto byte = static_cast<unsigned char>(text[index]);
        const std::size_t length = byte < 0x80 ? 1 : (byte >> 5) == 0x6 ? 2 : (byte >> 4) == 0xE ? 3 : (byte >> 3) == 0x1E ? 4 : 0;
        if (length == 0 || index + length > text.size()) return false;
        for (std::size_t next = 1; next < length; ++next) {
            if ((static_cast<unsigned char>(text[index + next]) >> 6) != 0x2) return false;
        }
        index += length;
    }
    return true;
}

} // namespace

std::optional<std::string> HidutilMappingStore::runHidutil(const std::vector<std::string>& arguments) {
    if (!runner_.isExecutable(utilityPath)) {
        logVirorez(std::string("CapsLockRemapper: ") + utilityPath + " not found/executable — skipping");
        return std::nullopt;
    }
    std::string failure;
    const auto result = runner_.run(utilityPath, arguments, failure);
    if (!result) {
        logVirorez("CapsLockRemapper: hidutil spawn failed: " + failure);
        return std::nullopt;
    }
    if (result->exitStatus != 0) {
        std::string joined;
        for (const auto& argument : arguments) joined += (joined.empty() ? "" : " ") + argument;
        logVirorez("CapsLockRemapper: hidutil " + joined + " exit " + std::to_string(result->exitStatus));
        return std::nullopt;
    }
    if (!isValidUtf8(result->standardOutput)) return std::nullopt;
    return result->standardOutput;
}

std::optional<std::vector<KeyMappingEntry>> HidutilMappingStore::currentMapping() {
    const auto output = runHidutil({"property", "--matching", keyboardMatching, "--get", "UserKeyMapping"});
    if (!output) return std::nullopt;
    std::vector<KeyMappingEntry> unique;
    for (const auto& entry : parseMapping(*output)) {
        if (std::find(unique.begin(), unique.end(), entry) == unique.end()) unique.push_back(entry);
    }
    return unique;
}

bool HidutilMappingStore::writeMapping(const std::vector<KeyMappingEntry>& entries) {
    std::string json = "{\"UserKeyMapping\":[";
    for (std::size_t index = 0; index < entries.size(); ++index) {
        if (index > 0) json += ",";
        json += "{\"HIDKeyboardModifierMappingSrc\":" + std::to_string(entries[index].src) +
                ",\"HIDKeyboardModifierMappingDst\":" + std::to_string(entries[index].dst) + "}";
    }
    json += "]}";
    return runHidutil({"property", "--matching", keyboardMatching, "--set", json}).has_value();
}

std::vector<KeyMappingEntry> HidutilMappingStore::parseMapping(const std::string& output) {
    std::vector<KeyMappingEntry> entries;
    std::optional<std::uint64_t> source;
    std::optional<std::uint64_t> destination;
    std::istringstream lines(output);
    std::string raw;
    while (std::getline(lines, raw)) {
        if (raw.empty()) continue;
        const auto line = trimmed(raw, " \t");
        if (line.starts_with("RegistryID")) {
            source.reset();
            destination.reset();
            continue;
        }
        if (line.starts_with("HIDKeyboardModifierMappingSrc")) source = parseValue(line);
        else if (line.starts_with("HIDKeyboardModifierMappingDst")) destination = parseValue(line);
        if (source && destination) {
            entries.push_back({*source, *destination});
            source.reset();
            destination.reset();
        }
    }
    return entries;
}

std::optional<std::uint64_t> HidutilMappingStore::parseValue(const std::string& line) {
    const auto equals = line.find('=');
    if (equals == std::string::npos) return std::nullopt;
    std::string value = line.substr(equals + 1);
    std::erase(value, ';');
    value = trimmed(value, " ");
    int base = 10;
    if (value.starts_with("0x") || value.starts_with("0X")) {
        value = value.substr(2);
        base = 16;
    }
    if (value.empty()) return std::nullopt;
    std::uint64_t number = 0;
    const auto [end, error] = std::from_chars(value.data(), value.data() + value.size(), number, base);
    if (error != std::errc() || end != value.data() + value.size()) return std::nullopt;
    return number;
}

} // namespace ostrelvirorez
