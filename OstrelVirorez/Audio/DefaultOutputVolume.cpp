#include "OstrelVirorez/Audio/DefaultOutputVolume.hpp"

#include "OstrelVirorez/Audio/PulseConnection.hpp"

#include <cmath>
#include <string>

namespace ostrelvirorez {
namespace {

struct SinkQuery {
    const PulseConnection* connection;
    std::string name;
    std::optional<pa_cvolume> volume;
    bool succeeded = false;
};

// With the connection's lock held: the default output's name and volume.
std::optional<SinkQuery> defaultSink(const PulseConnection& connection) {
    SinkQuery query{&connection, {}, std::nullopt};
    const auto onServerInfo = [](pa_context*, const pa_server_info* info, void* userdata) {
        auto* query = static_cast<SinkQuery*>(userdata);
        if (info && info->default_sink_name) query->name = info->default_sink_name;
        query->connection->signal();
    };
    connection.await(pa_context_get_server_info(connection.context(), onServerInfo, &query));
    if (query.name.empty()) return std::nullopt;
    const auto onSinkInfo = [](pa_context*, const pa_sink_info* info, int, void* userdata) {
        auto* query = static_cast<SinkQuery*>(userdata);
        if (info) query->volume = info->volume;
        query->connection->signal();
    };
    connection.await(pa_context_get_sink_info_by_name(connection.context(), query.name.c_str(), onSinkInfo, &query));
    if (!query.volume) return std::nullopt;
    return query;
}

} // namespace

std::optional<float> DefaultOutputVolume::read() {
    const auto connection = PulseConnection::connect("OstrelVirorez Volume");
    if (!connection) return std::nullopt;
    PulseConnection::Lock lock(*connection);
    const auto sink = defaultSink(*connection);
    if (!sink) return std::nullopt;
    return static_cast<float>(pa_cvolume_max(&*sink->volume)) / static_cast<float>(PA_VOLUME_NORM);
}

bool DefaultOutputVolume::write(float volume) {
    const auto connection = PulseConnection::connect("OstrelVirorez Volume");
    if (!connection) return false;
    PulseConnection::Lock lock(*connection);
    auto sink = defaultSink(*connection);
    if (!sink) return false;
    const auto level = static_cast<pa_volume_t>(std::lround(double{volume} * PA_VOLUME_NORM));
    pa_cvolume_scale(&*sink->volume, level);
    const auto onDone = [](pa_context*, int success, void* userdata) {
        auto* query = static_cast<SinkQuery*>(userdata);
        query->succeeded = success != 0;
        query->connection->signal();
    };
    connection->await(pa_context_set_sink_volume_by_name(connection->context(), sink->name.c_str(),
                                                         &*sink->volume, onDone, &*sink));
    return sink->succeeded;
}

} // namespace ostrelvirorez
