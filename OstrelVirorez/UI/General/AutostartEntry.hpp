#pragma once
// Starting the application when the user logs in: a desktop entry named
// "<id>.desktop" in the session's autostart folder ($XDG_CONFIG_HOME/autostart)
// that runs the given program. Failures throw platform::files::FileError.

#include <filesystem>
#include <string>

namespace ostrelvirorez {

class AutostartEntry {
public:
    static constexpr const char* applicationID = "zar.zozorudirozo.OstrelVirorez";

    AutostartEntry(std::filesystem::path folder, std::string id, std::filesystem::path program);
    // The running program's entry in the user's autostart folder.
    static AutostartEntry forThisProgram();

    std::filesystem::path file() const { return folder_ / (id_ + ".desktop"); }
    bool isInstalled() const;
    // Writes the entry atomically, creating the folder when needed.
    void install() const;
    // Removing an entry that is not there succeeds.
    void remove() const;

    // The whole file written by install().
    std::string contents() const;

private:
    std::filesystem::path folder_;
    std::string id_;
    std::filesystem::path program_;
};

} // namespace ostrelvirorez
