#pragma once
// The engine manager's published loading state. Only `error` carries a
// message, so equality compares the case and, for errors, the message.

#include <string>
#include <utility>

namespace ostrelvirorez {

class EngineStatus {
public:
    enum class Kind { idle, downloading, loading, ready, error };

    static EngineStatus idle() { return EngineStatus(Kind::idle, {}); }
    static EngineStatus downloading() { return EngineStatus(Kind::downloading, {}); }
    static EngineStatus loading() { return EngineStatus(Kind::loading, {}); }
    static EngineStatus ready() { return EngineStatus(Kind::ready, {}); }
    static EngineStatus error(std::string message) { return EngineStatus(Kind::error, std::move(message)); }

    Kind kind() const { return kind_; }
    // The human-readable text of an `error`; empty for the other cases.
    const std::string& message() const { return message_; }

    friend bool operator==(const EngineStatus&, const EngineStatus&) = default;

private:
    EngineStatus(Kind kind, std::string message) : kind_(kind), message_(std::move(message)) {}

    Kind kind_;
    std::string message_;
};

// "idle", "downloading", ...; an error reads "error(<message>)". For logs and test output.
std::string describe(const EngineStatus& status);

} // namespace ostrelvirorez
