#include "OstrelVirorez/Audio/SoundPlayer.hpp"

#include "OstrelVirorez/App/Log.hpp"
#include "OstrelVirorez/Audio/SoundSynthesizer.hpp"

#include "Platform/Core/Error.hpp"
#include "Platform/Files/XdgDirectories.hpp"

#include <system_error>

namespace ostrelvirorez {

SoundPlayer::SoundPlayer(std::filesystem::path resourceFolder) : resourceFolder_(std::move(resourceFolder)) {}

std::unique_ptr<SoundPlayer> SoundPlayer::withGeneratedSounds() {
    std::filesystem::path cache;
    try {
        cache = platform::files::cacheHome();
    } catch (const platform::Error&) {
        cache = std::filesystem::temp_directory_path();
    }
    const auto folder = cache / "OstrelVirorez" / "Sounds";
    SoundSynthesizer::writeMissingFiles(folder);
    return std::make_unique<SoundPlayer>(folder);
}

SoundPlayer::~SoundPlayer() { players_.clear(); }

void SoundPlayer::preload() {
    for (const SoundEvent event : allSoundEvents) {
        const std::string name(rawValue(event));
        const auto file = resourceFolder_ / (name + ".wav");
        std::error_code error;
        if (!std::filesystem::is_regular_file(file, error)) {
            logVirorez("Sound file not found: " + name + ".wav — using system fallback");
            continue;
        }
        try {
            // A clip replaced here stops its playback as it goes.
            players_[event] = std::make_unique<SoundClip>(file);
        } catch (const platform::Error& failure) {
            logVirorez("Sound preload failed for " + name + ": " + failure.description());
        }
    }
}

PulseConnection* SoundPlayer::connection() {
    if (connection_ && !connection_->isReady()) {
        for (auto& [event, clip] : players_) clip->release();
    }
    return PulseConnection::ensure(connection_, "OstrelVirorez Sounds");
}

void SoundPlayer::play(SoundEvent event) {
    if (const auto found = players_.find(event); found != players_.end()) {
        if (PulseConnection* pulse = connection()) found->second->play(*pulse);
        return;
    }
    if (!systemSound_) systemSound_.emplace();
    systemSound_->play(fallbackEventName(event));
}

std::string SoundPlayer::fallbackEventName(SoundEvent event) {
    switch (event) {
    case SoundEvent::recordingStartClaude: return "message-new-instant";
    case SoundEvent::recordingStop: return "message";
    case SoundEvent::done: return "complete";
    case SoundEvent::error: return "bell";
    }
    return "bell";
}

} // namespace ostrelvirorez
