// The status item's symbol, followed from the dictation state all the way to
// the icon the tray shows: the application state over the real status-bar
// controller, not a recording fake.

#include "OstrelDesignKit/Symbols/SymbolImage.hpp"
#include "OstrelVirorez/UI/ActivationPolicyState.hpp"
#include "OstrelVirorez/UI/NotificationCenter.hpp"
#include "OstrelVirorez/UI/StatusBarController.hpp"
#include "tests/OstrelVirorez/State/AppStateFixture.hpp"
#include "tests/OstrelVirorez/UI/TestApplication.hpp"

#include <QImage>

#include <string>

namespace ostrelvirorez::testing {
namespace {

using std::chrono::milliseconds;

QImage trayImage(const QIcon& icon) {
    return icon.pixmap(22, 22).toImage().convertToFormat(QImage::Format_ARGB32_Premultiplied);
}

QImage symbolImage(const std::string& name) {
    return trayImage(ostreldesignkit::SymbolImage::icon(name));
}

class StatusItemOnTrayTest : public AppStateFixture {
protected:
    StatusItemOnTrayTest() {
        testApplication();
        makeStatusItem = [this] {
            auto controller = std::make_unique<StatusBarController>(queue, notifications, activationPolicy, [] {});
            tray = controller.get();
            return controller;
        };
    }

    // The controller inside the state uses the centre and the policy below.
    ~StatusItemOnTrayTest() override { letGo(); }

    QImage shown() const { return trayImage(tray->statusItem().icon()); }

    NotificationCenter notifications;
    std::shared_ptr<ActivationPolicyState> activationPolicy = std::make_shared<ActivationPolicyState>();
    StatusBarController* tray = nullptr;
};

TEST_F(StatusItemOnTrayTest, EveryStateShowsItsOwnSymbolOnTheTrayIcon) {
    launch();
    ASSERT_NE(tray, nullptr);
    EXPECT_EQ(shown(), symbolImage("mic"));

    struct Case {
        DictationState state;
        const char* symbol;
    };
    const Case cases[] = {
        {DictationState::recording(DictationMode::raw), "mic.fill"},
        {DictationState::recording(DictationMode::claude), "sparkles"},
        {DictationState::recording(DictationMode::clipboardRewrite), "sparkles"},
        {DictationState::transcribing(DictationMode::raw), "waveform"},
        {DictationState::rewriting(), "sparkles"},
        {DictationState::rewritingClipboard(), "sparkles"},
        {DictationState::injecting(), "text.cursor"},
        {DictationState::done(), "checkmark.circle"},
        {DictationState::error("Engine not loaded"), "exclamationmark.triangle"},
        {DictationState::idle(), "mic"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.symbol);
        appState->state.set(c.state);
        runUntilIdle();
        EXPECT_EQ(shown(), symbolImage(c.symbol));
        EXPECT_EQ(tray->statusItem().toolTip(), QStringLiteral("OstrelVirorez"));
    }
}

TEST_F(StatusItemOnTrayTest, ADictationChangesTheTrayIconWhileItRuns) {
    launch();
    const QImage idle = shown();

    press(DictationMode::raw);
    EXPECT_NE(shown(), idle);
    EXPECT_EQ(shown(), symbolImage("mic.fill"));

    release();
    EXPECT_EQ(shown(), symbolImage("checkmark.circle"));
    advance(milliseconds(800));
    EXPECT_EQ(shown(), idle);
}

} // namespace
} // namespace ostrelvirorez::testing
