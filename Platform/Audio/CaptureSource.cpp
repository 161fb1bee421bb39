#include "Platform/Audio/CaptureSource.hpp"

namespace platform::audio {
namespace {

struct SourceListing {
    const PulseConnection* connection;
    std::vector<CaptureSource> sources;
    bool complete = false;
};

void collectSource(pa_context*, const pa_source_info* info, int endOfList, void* userdata) {
    auto* listing = static_cast<SourceListing*>(userdata);
    if (endOfList != 0) {
        listing->complete = endOfList > 0;
        listing->connection->signal();
        return;
    }
    if (!info || info->monitor_of_sink != PA_INVALID_INDEX || info->channel_map.channels < 1) return;
    listing->sources.push_back({info->index, info->name ? info->name : "",
                                info->description ? info->description : "", info->channel_map.channels});
}

} // namespace

std::optional<std::vector<CaptureSource>> listCaptureSources(const PulseConnection& connection) {
    SourceListing listing{&connection, {}};
    PulseConnection::Lock lock(connection);
    if (!connection.await(pa_context_get_source_info_list(connection.context(), &collectSource, &listing)) ||
        !listing.complete) {
        return std::nullopt;
    }
    return std::move(listing.sources);
}

} // namespace platform::audio
