#pragma once
// A flattened snapshot of a speaker with a numeric identity.

#include "RazeziRuzer/Diarizer/Clustering/RawEmbedding.hpp"

#include <cstdint>
#include <string>
#include <vector>

namespace razeziruzer {

struct Speaker;

struct SendableSpeaker {
    SendableSpeaker(std::int64_t id, std::string name, float duration, std::vector<float> mainEmbedding,
                    SpeakerTimestamp createdAt, SpeakerTimestamp updatedAt)
        : id(id), name(std::move(name)), duration(duration), mainEmbedding(std::move(mainEmbedding)),
          createdAt(createdAt), updatedAt(updatedAt) {}
    // The id is the speaker's id read as a decimal integer, else a
    // non-negative hash of it.
    explicit SendableSpeaker(const Speaker& speaker);

    std::int64_t id = 0;
    std::string name;
    float duration = 0;
    std::vector<float> mainEmbedding;
    SpeakerTimestamp createdAt;
    SpeakerTimestamp updatedAt;

    bool operator==(const SendableSpeaker& other) const { return id == other.id && name == other.name; }
    // The name, else "Speaker #<id>".
    std::string label() const;
};

// An optional sign, then one or more digits 0-9, fitting in 64 bits.
std::optional<std::int64_t> decimalSpeakerId(const std::string& text);

} // namespace razeziruzer
