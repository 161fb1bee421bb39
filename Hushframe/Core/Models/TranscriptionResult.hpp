#pragma once
// The result of one transcription, shared between threads: each property has
// its own lock, so readers and writers on different threads are safe, while a
// reader may see two properties from different updates.

#include "Hushframe/Core/Models/TranscriptionSegment.hpp"
#include "Hushframe/Core/Models/TranscriptionTimings.hpp"
#include "PelluxCore/PropertyLock.hpp"

#include <functional>
#include <optional>
#include <string>
#include <vector>

namespace hushframe {

class TranscriptionResult {
public:
    TranscriptionResult(std::string text, std::vector<TranscriptionSegment> segments, std::string language,
                        TranscriptionTimings timings, std::optional<float> seekTime = std::nullopt);
    // Needs all five keys; "seekTime" may be null. Throws the JSON library's error.
    explicit TranscriptionResult(const nlohmann::ordered_json& json);
    virtual ~TranscriptionResult() = default;

    virtual std::string text() const { return text_.wrappedValue(); }
    virtual void setText(std::string text) { text_.setWrappedValue(std::move(text)); }
    virtual void modifyText(const std::function<void(std::string&)>& change) { text_.modify(change); }

    virtual std::vector<TranscriptionSegment> segments() const { return segments_.wrappedValue(); }
    virtual void setSegments(std::vector<TranscriptionSegment> segments) {
        segments_.setWrappedValue(std::move(segments));
    }
    virtual void modifySegments(const std::function<void(std::vector<TranscriptionSegment>&)>& change) {
        segments_.modify(change);
    }

    virtual std::string language() const { return language_.wrappedValue(); }
    virtual void setLanguage(std::string language) { language_.setWrappedValue(std::move(language)); }
    virtual void modifyLanguage(const std::function<void(std::string&)>& change) { language_.modify(change); }

    virtual TranscriptionTimings timings() const { return timings_.wrappedValue(); }
    virtual void setTimings(TranscriptionTimings timings) { timings_.setWrappedValue(timings); }
    virtual void modifyTimings(const std::function<void(TranscriptionTimings&)>& change) { timings_.modify(change); }

    virtual std::optional<float> seekTime() const { return seekTime_.wrappedValue(); }
    virtual void setSeekTime(std::optional<float> seekTime) { seekTime_.setWrappedValue(seekTime); }
    virtual void modifySeekTime(const std::function<void(std::optional<float>&)>& change) {
        seekTime_.modify(change);
    }

    // The word timings of every segment that has them, in segment order.
    std::vector<WordTiming> allWords() const;

    // One debug line per segment: "[Segment i] [start --> end] text".
    virtual void logSegments() const;
    // The timing report, logged once at info level.
    virtual void logTimings() const;

    // Keys "text", "segments", "language", "timings", "seekTime" (null when absent).
    virtual void encode(nlohmann::ordered_json& json) const;

private:
    pelluxcore::PropertyLock<std::string> text_;
    pelluxcore::PropertyLock<std::vector<TranscriptionSegment>> segments_;
    pelluxcore::PropertyLock<std::string> language_;
    pelluxcore::PropertyLock<TranscriptionTimings> timings_;
    pelluxcore::PropertyLock<std::optional<float>> seekTime_;
};

void to_json(nlohmann::ordered_json& json, const TranscriptionResult& result);

// The same five fields as a plain value, without locks.
struct TranscriptionResultStruct {
    std::string text;
    std::vector<TranscriptionSegment> segments;
    std::string language;
    TranscriptionTimings timings;
    std::optional<float> seekTime;

    bool operator==(const TranscriptionResultStruct&) const = default;
};

// "seekTime" is left out when absent and may be missing or null when read.
void to_json(nlohmann::ordered_json& json, const TranscriptionResultStruct& result);
void from_json(const nlohmann::ordered_json& json, TranscriptionResultStruct& result);

} // namespace hushframe
