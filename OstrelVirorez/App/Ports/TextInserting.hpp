#pragma once
// What the dictation control needs to put text into the target application.

#include <string>

namespace ostrelvirorez {

class TextInserting {
public:
    virtual ~TextInserting() = default;

    // Pastes the text, leaving the clipboard as it was before.
    virtual void injectText(const std::string& text) = 0;
    // Pastes whatever the clipboard holds.
    virtual void simulatePaste() = 0;
};

} // namespace ostrelvirorez
