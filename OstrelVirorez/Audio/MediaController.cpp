#include "OstrelVirorez/Audio/MediaController.hpp"

#include "OstrelVirorez/App/Log.hpp"
#include "OstrelVirorez/Audio/DefaultOutputVolume.hpp"
#include "OstrelVirorez/Audio/SessionBusConnection.hpp"

#include "Platform/Core/Logger.hpp"

#include <algorithm>
#include <charconv>
#include <cstdlib>
#include <utility>

namespace ostrelvirorez {
namespace {

const std::string playerPrefix = "org.mpris.MediaPlayer2.";
const std::string playerPath = "/org/mpris/MediaPlayer2";
const std::string playerInterface = "org.mpris.MediaPlayer2.Player";

std::optional<std::string> playbackStatus(const SessionBusConnection& bus, const std::string& player) {
    return bus.stringProperty(player, playerPath, playerInterface, "PlaybackStatus");
}

std::vector<std::string> pausePlayingPlayers() {
    std::vector<std::string> paused;
    const auto bus = SessionBusConnection::open();
    if (!bus) {
        logVirorez("MediaController: no session bus, media not paused");
        return paused;
    }
    for (const std::string& name : bus->listNames()) {
        if (!name.starts_with(playerPrefix) || playbackStatus(*bus, name) != "Playing") continue;
        if (bus->call(name, playerPath, playerInterface, "Pause")) {
            paused.push_back(name);
        } else {
            logVirorez("MediaController: could not pause " + name);
        }
    }
    return paused;
}

void resumePlayers(const std::vector<std::string>& players) {
    if (players.empty()) return;
    const auto bus = SessionBusConnection::open();
    if (!bus) {
        logVirorez("MediaController: no session bus, media not resumed");
        return;
    }
    for (const std::string& name : players) {
        // One the user has stopped or restarted meanwhile is left as it is.
        if (playbackStatus(*bus, name) != "Paused") continue;
        if (!bus->call(name, playerPath, playerInterface, "Play")) {
            logVirorez("MediaController: could not resume " + name);
        }
    }
}

// The shortest text that reads back as the same single-precision value, with a decimal point.
std::string floatText(float value) {
    char buffer[32];
    const auto result = std::to_chars(buffer, buffer + sizeof buffer, value);
    std::string text(buffer, result.ptr);
    if (text.find_first_of(".eninf") == std::string::npos) text += ".0";
    return text;
}

} // namespace

void MediaController::sendPlayPauseKey() {
    if (pausedPlayers_) {
        resumePlayers(*std::exchange(pausedPlayers_, std::nullopt));
    } else {
        pausedPlayers_ = pausePlayingPlayers();
    }
}

std::optional<float> MediaController::getSystemVolume() { return DefaultOutputVolume::read(); }

void MediaController::setSystemVolume(float volume) {
    float value = std::min(volume, 1.0f);
    if (!(value >= 0.0f)) value = 0.0f;
    if (!DefaultOutputVolume::write(value)) logVirorez("MediaController: could not set the output volume");
}

void MediaController::duckVolume(float level) {
    float original = 0.0f;
    if (savedVolume_) {
        original = *savedVolume_;
    } else {
        const auto current = getSystemVolume();
        if (!current) return;
        original = *current;
        savedVolume_ = original;
    }
    const float ducked = level * original;
    setSystemVolume(ducked);
    logVirorez("MediaController: ducked volume " + floatText(original) + " \u2192 " + floatText(ducked));
}

void MediaController::restoreVolume() {
    if (!savedVolume_) return;
    const float volume = *std::exchange(savedVolume_, std::nullopt);
    setSystemVolume(volume);
    logVirorez("MediaController: restored volume to " + floatText(volume));
}

void MediaController::installTerminationGuard() {
    if (terminationObserver_) return;
    terminationObserver_ = true;
    // The log channel must exist before the handler is registered, so that
    // it is still there when the handler runs at exit.
    virorezLogger().debug("MediaController: termination guard installed");
    std::atexit(&MediaController::undoForTermination);
}

void MediaController::undoForTermination() {
    MediaController().restoreVolume();
    // Only resumes: players are never paused on the way out.
    if (std::exchange(didPause_, false) && pausedPlayers_) resumePlayers(*std::exchange(pausedPlayers_, std::nullopt));
}

} // namespace ostrelvirorez
