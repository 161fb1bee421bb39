#include "OstrelVirorez/Audio/SoundClip.hpp"

#include "Platform/Audio/AudioFile.hpp"
#include "Platform/Audio/AudioError.hpp"
#include "Platform/Audio/SampleCopy.hpp"

#include <utility>

namespace ostrelvirorez {

SoundClip::SoundClip(const std::filesystem::path& file) {
    platform::audio::AudioFile audio(file);
    const auto& format = audio.processingFormat();
    if (audio.length() <= 0 || audio.length() > 10 * 48000 * 60) {
        throw platform::audio::AudioError(platform::audio::AudioErrorKind::invalidFile,
                                          "Not a short sound: " + file.string());
    }
    auto buffer = platform::audio::PCMBuffer::make(format, static_cast<std::uint32_t>(audio.length()));
    if (!buffer) {
        throw platform::audio::AudioError(platform::audio::AudioErrorKind::invalidFile,
                                          "Unusable sound format: " + file.string());
    }
    audio.read(*buffer);
    const std::uint32_t channels = format.channelCount();
    interleaved_.resize(std::size_t{buffer->frameLength()} * channels);
    platform::audio::readInterleavedFloat(*buffer, 0, buffer->frameLength(), interleaved_.data());
    spec_ = {PA_SAMPLE_FLOAT32NE, static_cast<std::uint32_t>(format.sampleRate()),
             static_cast<std::uint8_t>(channels)};
    if (!pa_sample_spec_valid(&spec_)) {
        throw platform::audio::AudioError(platform::audio::AudioErrorKind::invalidFile,
                                          "Unusable sound format: " + file.string());
    }
}

SoundClip::~SoundClip() { release(); }

void SoundClip::play(PulseConnection& connection) {
    if (connection_ && connection_ != &connection) release();
    connection_ = &connection;
    PulseConnection::Lock lock(connection);
    releaseStream();
    stream_ = pa_stream_new(connection.context(), "Sound", &spec_, nullptr);
    if (!stream_) return;
    pa_stream_set_state_callback(stream_, &SoundClip::onStreamState, this);
    if (pa_stream_connect_playback(stream_, nullptr, nullptr, PA_STREAM_NOFLAGS, nullptr, nullptr) < 0) {
        releaseStream();
    }
}

void SoundClip::release() {
    if (!connection_) return;
    PulseConnection::Lock lock(*connection_);
    releaseStream();
    connection_ = nullptr;
}

void SoundClip::releaseStream() {
    if (drain_) {
        pa_operation_cancel(drain_);
        pa_operation_unref(drain_);
        drain_ = nullptr;
    }
    if (!stream_) return;
    pa_stream_set_state_callback(stream_, nullptr, nullptr);
    pa_stream_disconnect(stream_);
    pa_stream_unref(stream_);
    stream_ = nullptr;
}

void SoundClip::onStreamState(pa_stream* stream, void* userdata) {
    auto* clip = static_cast<SoundClip*>(userdata);
    if (stream != clip->stream_) return;
    const pa_stream_state_t state = pa_stream_get_state(stream);
    if (state == PA_STREAM_READY && !clip->drain_) {
        pa_stream_write(stream, clip->interleaved_.data(), clip->interleaved_.size() * sizeof(float), nullptr, 0,
                        PA_SEEK_RELATIVE);
        clip->drain_ = pa_stream_drain(stream, &SoundClip::onDrained, clip);
    } else if (!PA_STREAM_IS_GOOD(state)) {
        clip->releaseStream();
    }
}

void SoundClip::onDrained(pa_stream* stream, int, void* userdata) {
    auto* clip = static_cast<SoundClip*>(userdata);
    // This operation is the clip's own; it is finished, not to be cancelled.
    if (clip->drain_) pa_operation_unref(std::exchange(clip->drain_, nullptr));
    if (stream == clip->stream_) clip->releaseStream(); // played out: the output may go idle again
}

} // namespace ostrelvirorez
