#pragma once
// What the dictation control needs to put text into the target application.

#include <string>

namespace ostrelvirorez {

class TextInserting {
public:
    virtual ~TextInserting() = default;

    // Pastes the text, leaving the clipboard as it was before. False when the
    // paste keystroke could not be synthesized: the text then stays on the
    // clipboard for the user to paste by hand.
    virtual bool injectText(const std::string& text) = 0;
    // Pastes whatever the clipboard holds; false as above.
    virtual bool simulatePaste() = 0;
};

} // namespace ostrelvirorez
