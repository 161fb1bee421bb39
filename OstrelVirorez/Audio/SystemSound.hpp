#pragma once
// Sounds of the desktop's sound theme, played by event name, for when one of
// the application's own sounds is missing.

#include <memory>
#include <string>

struct ca_context;

namespace ostrelvirorez {

class SystemSound {
public:
    SystemSound();
    ~SystemSound();
    SystemSound(const SystemSound&) = delete;
    SystemSound& operator=(const SystemSound&) = delete;

    // Plays the theme's sound of that name; nothing plays when the theme has
    // none or there is no sound output. Returns at once.
    void play(const std::string& eventName);

private:
    ca_context* context_ = nullptr;
};

} // namespace ostrelvirorez
