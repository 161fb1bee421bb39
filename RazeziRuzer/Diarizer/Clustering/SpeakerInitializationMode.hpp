#pragma once
// How the speaker database takes in a list of known speakers.

namespace razeziruzer {

enum class SpeakerInitializationMode {
    reset,      // empty the database first (optionally keeping permanent speakers), then overwrite
    merge,      // a known speaker already present is merged into the present one
    overwrite,  // the known speaker replaces the present one
    skip,       // the present speaker is kept
};

} // namespace razeziruzer
