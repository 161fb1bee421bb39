#pragma once
// A listen-only source of every key event of the user's session. It never
// swallows or changes an event; it only reports them.

#include "OstrelVirorez/Input/KeyEvent.hpp"

#include <functional>
#include <string>

namespace ostrelvirorez {

class KeyEventTap {
public:
    using Handler = std::function<void(const KeyEvent&)>;

    virtual ~KeyEventTap() = default;

    // Starts reporting events to `handler` on the main queue; false when the
    // session grants no listen-only access to global key events.
    virtual bool enable(Handler handler) = 0;
    virtual void disable() = 0;
    // After a failed enable(): what the session lacks, in words for the log;
    // empty when the tap cannot tell.
    virtual std::string unavailableReason() const { return {}; }
};

} // namespace ostrelvirorez
