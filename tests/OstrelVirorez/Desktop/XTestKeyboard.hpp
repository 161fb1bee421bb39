#pragma once
// Presses keys on a test's X server through XTest, by key symbol. A symbol
// the server's keymap lacks is bound to a spare key code first.

#include <memory>
#include <string>

struct _XDisplay;

namespace ostrelvirorez::desktoptest {

class XTestKeyboard {
public:
    explicit XTestKeyboard(const std::string& displayName);
    ~XTestKeyboard();
    XTestKeyboard(const XTestKeyboard&) = delete;
    XTestKeyboard& operator=(const XTestKeyboard&) = delete;

    void press(unsigned long keySymbol);
    void release(unsigned long keySymbol);
    void tap(unsigned long keySymbol);
    // The X key code that produces `keySymbol`, binding a spare one if needed.
    unsigned int keyCode(unsigned long keySymbol);
    _XDisplay* display() const { return display_; }

private:
    _XDisplay* display_;
};

} // namespace ostrelvirorez::desktoptest
