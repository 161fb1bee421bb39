#pragma once
// What the application state needs of the status-bar item: link itself to
// it, and replace its button's symbol.

#include <memory>
#include <string>

namespace ostrelvirorez {

class AppState;

class StatusItemControlling {
public:
    virtual ~StatusItemControlling() = default;

    virtual void setAppState(std::weak_ptr<AppState> appState) = 0;
    // No change when the item has no button.
    virtual void setButtonImage(const std::string& symbolName, const std::string& accessibilityDescription) = 0;
};

} // namespace ostrelvirorez
