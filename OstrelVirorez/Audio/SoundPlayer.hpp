#pragma once
// Plays the short sounds that confirm the moments of a dictation: the
// application's own sound files, each loaded once, or the desktop theme's
// sound for an event whose file is missing or unreadable.

#include "OstrelVirorez/App/Ports/SoundPlaying.hpp"
#include "OstrelVirorez/Audio/PulseConnection.hpp"
#include "OstrelVirorez/Audio/SoundClip.hpp"
#include "OstrelVirorez/Audio/SoundEvent.hpp"
#include "OstrelVirorez/Audio/SystemSound.hpp"

#include <filesystem>
#include <map>
#include <memory>
#include <optional>

namespace ostrelvirorez {

class SoundPlayer final : public SoundPlaying {
public:
    // Sounds are the files "<raw value>.wav" in `resourceFolder`.
    explicit SoundPlayer(std::filesystem::path resourceFolder);
    // Over the application's own sounds, made in the user's cache folder when missing.
    static std::unique_ptr<SoundPlayer> withGeneratedSounds();
    ~SoundPlayer() override;
    SoundPlayer(const SoundPlayer&) = delete;
    SoundPlayer& operator=(const SoundPlayer&) = delete;

    // Loads every event's file once; a missing or unreadable one is logged.
    void preload() override;
    // Returns at once; a sound still playing restarts from the beginning.
    void play(SoundEvent event) override;

    // The theme sound used for an event without a file.
    static std::string fallbackEventName(SoundEvent event);

private:
    PulseConnection* connection();

    std::filesystem::path resourceFolder_;
    std::unique_ptr<PulseConnection> connection_; // outlives the players' streams
    std::map<SoundEvent, std::unique_ptr<SoundClip>> players_;
    std::optional<SystemSound> systemSound_;
};

} // namespace ostrelvirorez
