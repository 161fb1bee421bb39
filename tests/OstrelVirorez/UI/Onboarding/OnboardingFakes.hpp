#pragma once
// A settings store of the test's own and permissions the test sets, whose
// microphone answer it can hold back and deliver later (on any thread).

#include "OstrelVirorez/App/Ports/PermissionChecking.hpp"
#include "OstrelVirorez/Model/AppSettings.hpp"
#include "Platform/Defaults/UserDefaults.hpp"
#include "tests/Support/TemporaryDirectory.hpp"

#include <functional>
#include <optional>

namespace ostrelvirorez::testing {

class ScriptedPermissions final : public PermissionChecking {
public:
    CaptureAuthorizationStatus microphoneAuthorizationStatus() const override { return microphone; }
    void requestMicrophoneAccess(std::function<void(bool)> answer) override {
        ++microphoneRequests;
        pendingAnswer = std::move(answer);
    }
    bool isAccessibilityTrusted() const override { return accessibilityTrusted; }
    bool requestAccessibilityTrust() override {
        ++accessibilityPrompts;
        return accessibilityTrusted;
    }
    // Delivers the held microphone answer.
    void answerMicrophone(bool granted) {
        if (auto answer = std::exchange(pendingAnswer, {})) answer(granted);
    }

    CaptureAuthorizationStatus microphone = CaptureAuthorizationStatus::notDetermined;
    bool accessibilityTrusted = false;
    int microphoneRequests = 0;
    int accessibilityPrompts = 0;
    std::function<void(bool)> pendingAnswer;
};

struct TestSettings {
    testsupport::TemporaryDirectory folder;
    platform::UserDefaults defaults{folder / "defaults.json"};
    AppSettings settings{defaults};
};

} // namespace ostrelvirorez::testing
