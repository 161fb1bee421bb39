#pragma once
// The user's folders on a freedesktop system. Each base-folder variable is
// honoured only when it holds an absolute path; an empty or relative value
// counts as unset and the standard fallback below the home folder applies.

#include <filesystem>

namespace platform::files {

// $HOME when absolute, else the home folder of the user's account entry.
std::filesystem::path homeDirectory();
// $XDG_CONFIG_HOME, else ~/.config.
std::filesystem::path configHome();
// $XDG_DATA_HOME, else ~/.local/share: per-user application data.
std::filesystem::path dataHome();
// $XDG_CACHE_HOME, else ~/.cache.
std::filesystem::path cacheHome();
// The folder `xdg-user-dir DOCUMENTS` names when it names an absolute folder
// other than home (its answer when none is configured), else ~/Documents.
std::filesystem::path documentsDirectory();

} // namespace platform::files
