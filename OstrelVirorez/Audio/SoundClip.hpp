#pragma once
// One short sound held in memory and played on the default output. Playing
// it again while it still sounds cuts the old playback off and starts over,
// so two copies never overlap.

#include "OstrelVirorez/Audio/PulseConnection.hpp"

#include <filesystem>
#include <vector>

namespace ostrelvirorez {

class SoundClip {
public:
    // Reads the whole file. Throws platform::Error when it cannot be read.
    explicit SoundClip(const std::filesystem::path& file);
    ~SoundClip();
    SoundClip(const SoundClip&) = delete;
    SoundClip& operator=(const SoundClip&) = delete;

    // Returns at once; the sound plays on the connection's thread.
    void play(PulseConnection& connection);
    // Stops any playback; needed before `connection` goes away.
    void release();

private:
    void releaseStream(); // loop lock held
    static void onStreamState(pa_stream* stream, void* userdata);
    static void onDrained(pa_stream* stream, int success, void* userdata);

    std::vector<float> interleaved_;
    pa_sample_spec spec_{};
    PulseConnection* connection_ = nullptr;
    pa_stream* stream_ = nullptr;          // loop lock
    pa_operation* drain_ = nullptr;        // loop lock
};

} // namespace ostrelvirorez
