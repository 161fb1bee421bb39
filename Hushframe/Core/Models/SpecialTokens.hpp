#pragma once
// Ids of the Whisper special tokens. Every id at or above specialTokenBegin
// is special; every id at or above timeTokenBegin is a timestamp.

namespace hushframe {

struct SpecialTokens {
    int endToken = 0;
    int englishToken = 0;
    int noSpeechToken = 0;
    int noTimestampsToken = 0;
    int specialTokenBegin = 0;
    int startOfPreviousToken = 0;
    int startOfTranscriptToken = 0;
    int timeTokenBegin = 0;
    int transcribeToken = 0;
    int translateToken = 0;
    int whitespaceToken = 0;

    bool operator==(const SpecialTokens&) const = default;
};

} // namespace hushframe
