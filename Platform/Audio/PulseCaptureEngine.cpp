#include "Platform/Audio/PulseCaptureEngine.hpp"

#include "Platform/Audio/CaptureError.hpp"
#include "Platform/Audio/SampleCopy.hpp"
#include "Platform/Core/Logger.hpp"

#include <algorithm>
#include <utility>

namespace platform::audio {
namespace {

struct SourceQuery {
    const PulseConnection* connection;
    std::optional<pa_sample_spec> spec;
    std::string defaultSource;
};

} // namespace

PulseCaptureEngine::PulseCaptureEngine(std::string clientName) : clientName_(std::move(clientName)) {}

PulseCaptureEngine::~PulseCaptureEngine() {
    if (!connection_) return;
    PulseConnection::Lock lock(*connection_);
    tap_.reset();
    disconnectStream();
}

void PulseCaptureEngine::setInputDevice(const std::string& deviceIdentifier) { deviceIdentifier_ = deviceIdentifier; }

std::string PulseCaptureEngine::inputDevice() const { return deviceIdentifier_; }

PulseConnection& PulseCaptureEngine::connection() {
    if (connection_ && !connection_->isReady()) {
        {
            PulseConnection::Lock lock(*connection_);
            disconnectStream();
        }
        connection_.reset();
    }
    if (!PulseConnection::ensure(connection_, clientName_)) {
        throw CaptureError("Cannot connect to the sound server");
    }
    return *connection_;
}

std::string PulseCaptureEngine::resolvedSourceName(PulseConnection& connection) const {
    if (!deviceIdentifier_.empty()) {
        if (sourceSpec(connection, deviceIdentifier_)) return deviceIdentifier_;
        Logger("platform", "audio").info("Capture: input " + deviceIdentifier_ + " not found, recording from the system default");
    }
    SourceQuery query{&connection, std::nullopt, {}};
    const auto onServerInfo = [](pa_context*, const pa_server_info* info, void* userdata) {
        auto* query = static_cast<SourceQuery*>(userdata);
        if (info && info->default_source_name) query->defaultSource = info->default_source_name;
        query->connection->signal();
    };
    connection.await(pa_context_get_server_info(connection.context(), onServerInfo, &query));
    if (query.defaultSource.empty()) throw CaptureError("No audio input is available");
    return query.defaultSource;
}

std::optional<pa_sample_spec> PulseCaptureEngine::sourceSpec(PulseConnection& connection, const std::string& source) {
    SourceQuery query{&connection, std::nullopt, {}};
    const auto onSourceInfo = [](pa_context*, const pa_source_info* info, int, void* userdata) {
        auto* query = static_cast<SourceQuery*>(userdata);
        if (info) query->spec = info->sample_spec;
        query->connection->signal();
    };
    connection.await(pa_context_get_source_info_by_name(connection.context(), source.c_str(), onSourceInfo, &query));
    return query.spec;
}

AudioFormat PulseCaptureEngine::inputFormat() {
    PulseConnection& pulse = connection();
    PulseConnection::Lock lock(pulse);
    const std::string source = resolvedSourceName(pulse);
    const auto spec = sourceSpec(pulse, source);
    if (!spec) throw CaptureError("The audio input \"" + source + "\" is not available");
    auto format = AudioFormat::standard(spec->rate, spec->channels);
    if (!format) throw CaptureError("The audio input \"" + source + "\" has an unusable format");
    return *format;
}

void PulseCaptureEngine::installTap(std::uint32_t bufferSize, const AudioFormat& format,
                                    TapBlock block) {
    std::optional<PulseConnection::Lock> lock;
    if (connection_) lock.emplace(*connection_);
    tap_.emplace(Tap{std::max<std::uint32_t>(bufferSize, 1), format, std::move(block)});
    gathered_.clear();
}

void PulseCaptureEngine::removeTap() {
    std::optional<PulseConnection::Lock> lock;
    if (connection_) lock.emplace(*connection_);
    if (tap_) deliverBlocks(true);
    tap_.reset();
    gathered_.clear();
}

void PulseCaptureEngine::start() {
    PulseConnection& pulse = connection();
    const AudioFormat format = tap_ ? tap_->format : inputFormat();
    PulseConnection::Lock lock(pulse);
    disconnectStream();
    const std::string source = resolvedSourceName(pulse);

    const pa_sample_spec spec{PA_SAMPLE_FLOAT32NE, static_cast<std::uint32_t>(format.sampleRate()),
                              static_cast<std::uint8_t>(format.channelCount())};
    pa_channel_map map;
    pa_channel_map_init_extend(&map, spec.channels, PA_CHANNEL_MAP_DEFAULT);
    stream_ = pa_stream_new(pulse.context(), "Dictation", &spec, &map);
    if (!stream_) throw CaptureError("Cannot create a recording stream: " + pulse.lastError());
    pa_stream_set_state_callback(stream_, &PulseCaptureEngine::onStreamState, this);
    pa_stream_set_read_callback(stream_, &PulseCaptureEngine::onStreamRead, this);

    const std::uint32_t blockFrames = tap_ ? tap_->bufferSize : 1024;
    pa_buffer_attr attributes{};
    attributes.maxlength = static_cast<std::uint32_t>(-1);
    attributes.tlength = attributes.prebuf = attributes.minreq = static_cast<std::uint32_t>(-1);
    attributes.fragsize = blockFrames * static_cast<std::uint32_t>(pa_frame_size(&spec));
    if (pa_stream_connect_record(stream_, source.c_str(), &attributes, PA_STREAM_ADJUST_LATENCY) < 0) {
        const std::string reason = pulse.lastError();
        disconnectStream();
        throw CaptureError("Cannot record from \"" + source + "\": " + reason);
    }
    for (;;) {
        const pa_stream_state_t state = pa_stream_get_state(stream_);
        if (state == PA_STREAM_READY) return;
        if (!PA_STREAM_IS_GOOD(state)) {
            const std::string reason = pulse.lastError();
            disconnectStream();
            throw CaptureError("Cannot record from \"" + source + "\": " + reason);
        }
        pulse.wait();
    }
}

void PulseCaptureEngine::stop() {
    if (!connection_) return;
    PulseConnection::Lock lock(*connection_);
    disconnectStream();
}

void PulseCaptureEngine::disconnectStream() {
    gathered_.clear();
    if (!stream_) return;
    pa_stream_set_state_callback(stream_, nullptr, nullptr);
    pa_stream_set_read_callback(stream_, nullptr, nullptr);
    pa_stream_disconnect(stream_);
    pa_stream_unref(stream_);
    stream_ = nullptr;
}

void PulseCaptureEngine::readAvailable() {
    while (stream_ && pa_stream_readable_size(stream_) > 0) {
        const void* data = nullptr;
        size_t bytes = 0;
        if (pa_stream_peek(stream_, &data, &bytes) < 0 || bytes == 0) return;
        if (tap_) {
            const size_t samples = bytes / sizeof(float);
            if (data) {
                const auto* first = static_cast<const float*>(data);
                gathered_.insert(gathered_.end(), first, first + samples);
            } else {
                gathered_.insert(gathered_.end(), samples, 0.0f); // a hole in the stream reads as silence
            }
        }
        pa_stream_drop(stream_);
    }
    if (tap_) deliverBlocks(false);
}

void PulseCaptureEngine::deliverBlocks(bool includePartial) {
    const std::uint32_t channels = tap_->format.channelCount();
    size_t offset = 0;
    for (;;) {
        const size_t frames = (gathered_.size() - offset) / channels;
        if (frames == 0 || (frames < tap_->bufferSize && !includePartial)) break;
        const auto count = static_cast<std::uint32_t>(std::min<size_t>(frames, tap_->bufferSize));
        auto block = PCMBuffer::make(tap_->format, count);
        if (block) {
            writeInterleavedFloat(*block, 0, gathered_.data() + offset, count, channels);
            block->setFrameLength(count);
            tap_->block(*block);
        }
        offset += size_t{count} * channels;
    }
    gathered_.erase(gathered_.begin(), gathered_.begin() + static_cast<std::ptrdiff_t>(offset));
}

void PulseCaptureEngine::onStreamState(pa_stream*, void* userdata) {
    auto* engine = static_cast<PulseCaptureEngine*>(userdata);
    if (engine->connection_) engine->connection_->signal();
}

void PulseCaptureEngine::onStreamRead(pa_stream*, size_t, void* userdata) {
    static_cast<PulseCaptureEngine*>(userdata)->readAvailable();
}

} // namespace platform::audio
