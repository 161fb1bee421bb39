#pragma once
// Keeps the computer's own sound out of a dictation: media players that are
// playing are paused for the recording and resumed after it, and the default
// output's volume can be lowered ("ducked") meanwhile. What has to be undone
// is process-wide, shared by every instance; a guard undoes it at exit.

#include "OstrelVirorez/App/Ports/MediaControlling.hpp"

#include <optional>
#include <string>
#include <vector>

namespace ostrelvirorez {

class MediaController final : public MediaControlling {
public:
    // The play/pause key, without its blind toggle: the first press pauses
    // the media players on the session bus that are playing now, the next
    // one resumes exactly those (if they are still paused). A player that was
    // not playing is never started.
    void sendPlayPauseKey() override;

    std::optional<float> getSystemVolume();
    // Clamped to 0…1; a NaN counts as 0.
    void setSystemVolume(float volume);

    bool didPause() const override { return didPause_; }
    void setDidPause(bool paused) override { didPause_ = paused; }
    std::optional<float> savedVolume() const { return savedVolume_; }
    void setSavedVolume(std::optional<float> volume) { savedVolume_ = volume; }

    // Lowers the volume to `level` × the volume before the recording and
    // saves that volume. A volume still lowered by an earlier recording is
    // not saved again, so a restore always returns to the original.
    void duckVolume(float level) override;
    // Puts back the saved volume, whatever the settings say now.
    void restoreVolume() override;

    void installTerminationGuard() override;
    // What the guard does at exit: restore the volume, resume paused players.
    static void undoForTermination();

private:
    static inline std::optional<float> savedVolume_;
    static inline bool didPause_ = false;
    // Between the two presses of the key: the players the first one paused.
    static inline std::optional<std::vector<std::string>> pausedPlayers_;
    static inline bool terminationObserver_ = false;
};

} // namespace ostrelvirorez
