#pragma once
// The on-device language model: whether it can be used, and conversations
// over it that take an instruction text and answer a prompt. Linux has no
// such model; unavailable() stands in for it there.

#include <memory>
#include <string>

namespace ostrelvirorez {

class LanguageModelSession {
public:
    virtual ~LanguageModelSession() = default;
    // The generated text; throws when generation fails.
    virtual std::string respond(const std::string& prompt) = 0;
};

class SystemLanguageModel {
public:
    virtual ~SystemLanguageModel() = default;
    virtual bool isAvailable() const = 0;
    // A new conversation with no tools and these instructions.
    virtual std::unique_ptr<LanguageModelSession> makeSession(const std::string& instructions) = 0;

    // The system's model on this platform: never available.
    static SystemLanguageModel& unavailable();
};

} // namespace ostrelvirorez
