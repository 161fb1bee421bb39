#include "OstrelVirorez/Audio/SystemSound.hpp"

#include "OstrelVirorez/App/Log.hpp"

#include <canberra.h>

namespace ostrelvirorez {

SystemSound::SystemSound() {
    if (ca_context_create(&context_) != CA_SUCCESS) context_ = nullptr;
}

SystemSound::~SystemSound() {
    if (context_) ca_context_destroy(context_);
}

void SystemSound::play(const std::string& eventName) {
    if (!context_) return;
    const int result = ca_context_play(context_, 0, CA_PROP_EVENT_ID, eventName.c_str(), nullptr);
    if (result != CA_SUCCESS) {
        logVirorez("System sound " + eventName + " not played: " + ca_strerror(result));
    }
}

} // namespace ostrelvirorez
