#include "OstrelVirorez/UI/General/AutostartEntry.hpp"

#include "Platform/Files/FileContents.hpp"
#include "Platform/Files/FileError.hpp"
#include "Platform/Files/XdgDirectories.hpp"

#include <string_view>
#include <system_error>
#include <utility>

namespace ostrelvirorez {
namespace {

// One argument of an Exec line: quoted when it holds a reserved character,
// with '"', '`', '$' and '\' escaped inside the quotes; '%' doubled.
std::string execArgument(std::string_view argument) {
    static constexpr std::string_view reserved = " \t\n\"'\\><~|&;$*?#()`";
    std::string text;
    const bool quoted = argument.find_first_of(reserved) != std::string_view::npos;
    for (const char c : argument) {
        if (c == '%') {
            text += "%%";
            continue;
        }
        if (quoted && (c == '"' || c == '`' || c == '$' || c == '\\')) text += '\\';
        text += c;
    }
    return quoted ? "\"" + text + "\"" : text;
}

// A value of a desktop entry: backslashes and line breaks escaped.
std::string entryValue(std::string_view value) {
    std::string text;
    for (const char c : value) {
        if (c == '\\') {
            text += "\\\\";
        } else if (c == '\n') {
            text += "\\n";
        } else {
            text += c;
        }
    }
    return text;
}

} // namespace

AutostartEntry::AutostartEntry(std::filesystem::path folder, std::string id, std::filesystem::path program)
    : folder_(std::move(folder)), id_(std::move(id)), program_(std::move(program)) {}

AutostartEntry AutostartEntry::forThisProgram() {
    std::error_code error;
    auto program = std::filesystem::read_symlink("/proc/self/exe", error);
    if (error) program = "OstrelVirorez";
    return AutostartEntry(platform::files::configHome() / "autostart", applicationID, std::move(program));
}

bool AutostartEntry::isInstalled() const {
    std::error_code error;
    return std::filesystem::is_regular_file(file(), error);
}

std::string AutostartEntry::contents() const {
    return "[Desktop Entry]\n"
           "Type=Application\n"
           "Name=OstrelVirorez\n"
           "Exec=" +
           entryValue(execArgument(program_.string())) +
           "\n"
           "Terminal=false\n"
           "X-GNOME-Autostart-enabled=true\n";
}

void AutostartEntry::install() const {
    std::error_code error;
    std::filesystem::create_directories(folder_, error);
    if (error) throw platform::files::FileError::fromErrno(error.value(), "Cannot create the folder", folder_);
    platform::files::writeAtomically(file(), contents());
}

void AutostartEntry::remove() const {
    std::error_code error;
    std::filesystem::remove(file(), error);
    if (error) throw platform::files::FileError::fromErrno(error.value(), "Cannot remove", file());
}

} // namespace ostrelvirorez
