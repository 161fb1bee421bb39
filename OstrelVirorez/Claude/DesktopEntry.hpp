#pragma once
// The [Desktop Entry] group of a freedesktop .desktop file: how an installed
// application is named, shown and matched to its windows.

#include <filesystem>
#include <optional>
#include <string>
#include <vector>

namespace ostrelvirorez {

struct DesktopEntry {
    // The desktop-file id: the file name without ".desktop".
    std::string id;
    std::string name;
    std::string type;
    std::string icon;
    std::string startupWMClass;
    bool noDisplay = false;
    bool hidden = false;

    // Absent when the file cannot be read or has no [Desktop Entry] group.
    static std::optional<DesktopEntry> read(const std::filesystem::path& file);
    // The readable entries of the ".desktop" files directly in `folders`
    // (subfolders are not searched), folder by folder, each folder in the
    // order the file system lists it; unreadable folders are skipped.
    static std::vector<DesktopEntry> readFolders(const std::vector<std::filesystem::path>& folders);
};

} // namespace ostrelvirorez
