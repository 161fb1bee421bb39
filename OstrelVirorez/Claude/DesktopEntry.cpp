#include "OstrelVirorez/Claude/DesktopEntry.hpp"

#include <fstream>

namespace ostrelvirorez {
namespace {

std::string trimmed(const std::string& text) {
    const auto first = text.find_first_not_of(" \t\r");
    if (first == std::string::npos) return {};
    return text.substr(first, text.find_last_not_of(" \t\r") - first + 1);
}

} // namespace

std::optional<DesktopEntry> DesktopEntry::read(const std::filesystem::path& file) {
    std::ifstream stream(file);
    if (!stream) return std::nullopt;
    DesktopEntry entry;
    entry.id = file.stem().string();
    bool inGroup = false;
    bool sawGroup = false;
    std::string line;
    while (std::getline(stream, line)) {
        line = trimmed(line);
        if (line.empty() || line.front() == '#') continue;
        if (line.front() == '[') {
            inGroup = line == "[Desktop Entry]";
            sawGroup = sawGroup || inGroup;
            continue;
        }
        const auto equals = line.find('=');
        if (!inGroup || equals == std::string::npos) continue;
        const auto key = trimmed(line.substr(0, equals));
        const auto value = trimmed(line.substr(equals + 1));
        if (key == "Name") entry.name = value;
        else if (key == "Type") entry.type = value;
        else if (key == "Icon") entry.icon = value;
        else if (key == "StartupWMClass") entry.startupWMClass = value;
        else if (key == "NoDisplay") entry.noDisplay = value == "true";
        else if (key == "Hidden") entry.hidden = value == "true";
    }
    if (!sawGroup) return std::nullopt;
    return entry;
}

std::vector<DesktopEntry> DesktopEntry::readFolders(const std::vector<std::filesystem::path>& folders) {
    static const std::string suffix = ".desktop";
    std::vector<DesktopEntry> entries;
    for (const auto& folder : folders) {
        std::error_code error;
        std::filesystem::directory_iterator files(folder, error);
        if (error) continue;
        for (const auto& file : files) {
            if (!file.path().filename().string().ends_with(suffix) || !file.is_regular_file(error)) continue;
            if (auto entry = read(file.path())) entries.push_back(std::move(*entry));
        }
    }
    return entries;
}

} // namespace ostrelvirorez
