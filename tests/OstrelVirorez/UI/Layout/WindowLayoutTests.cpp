// The settings window and its sheets as a new user first sees them: at the
// window's own size every tab, with the sidebar shown and collapsed and with
// the status panel open, and every sheet the window and its tabs open, lay
// out without a cut text, a clipped frame or two controls on top of each
// other; and every tab looks like its kept reference at device pixel ratios
// 1 and 2.

#include "OstrelVirorez/Model/AppSettings.hpp"
#include "OstrelVirorez/UI/Editors/SnippetRow.hpp"
#include "OstrelVirorez/UI/Editors/SnippetsSettingsView.hpp"
#include "OstrelVirorez/UI/Rewriting/ClaudeSettingsView.hpp"
#include "OstrelVirorez/UI/Rewriting/ProfileDetailView.hpp"
#include "OstrelVirorez/UI/Settings/SettingsStatusPanel.hpp"
#include "OstrelVirorez/UI/WindowNotification.hpp"
#include "tests/OstrelVirorez/UI/Editors/EditorViewSupport.hpp"
#include "tests/OstrelVirorez/UI/Layout/LayoutInspector.hpp"
#include "tests/OstrelVirorez/UI/Layout/SettingsWindowFixture.hpp"
#include "tests/Support/Qt/ReferenceImage.hpp"

#include <gtest/gtest.h>

#include <QAbstractButton>
#include <QCoreApplication>
#include <QDialog>
#include <QFontMetrics>
#include <QImage>
#include <QLabel>

#include <memory>
#include <string>

namespace ostrelvirorez::testing {
namespace {

class WindowLayoutTest : public SettingsWindowFixture {};

TEST_F(WindowLayoutTest, OpensAtItsDesignedSize) {
    EXPECT_EQ(window->size(), QSize(700, 760));
    EXPECT_EQ(window->frameGeometry().size(), QSize(700, 760)) << "nothing stacked above the view";
}

TEST_F(WindowLayoutTest, EveryTabFitsWithTheSidebarShownOrCollapsed) {
    for (const SettingsTab tab : allSettingsTabs) {
        for (const bool collapsed : {false, true}) {
            show(tab, collapsed, false);
            SCOPED_TRACE(tabName(tab) + (collapsed ? ", sidebar collapsed" : ", sidebar shown"));
            EXPECT_EQ(layoutFaults(*window).join(QLatin1Char('\n')).toStdString(), "");
        }
    }
}

TEST_F(WindowLayoutTest, TheStatusPanelLeavesEveryTabItsWidth) {
    for (const SettingsTab tab : allSettingsTabs) {
        show(tab, false, false);
        const int closedWidth = view().tabView()->width();
        show(tab, false, true);
        SCOPED_TRACE(tabName(tab));
        ASSERT_NE(view().statusPanel(), nullptr);
        EXPECT_EQ(view().tabView()->width(), closedWidth);
        EXPECT_EQ(layoutFaults(*window).join(QLatin1Char('\n')).toStdString(), "");
    }
}

TEST_F(WindowLayoutTest, SheetsFitOverTheWindow) {
    notifications.post(WindowNotification::showFeedbackSheet);
    settle();
    ASSERT_NE(view().sheetDialog(), nullptr);
    EXPECT_EQ(layoutFaults(*view().sheetDialog()).join(QLatin1Char('\n')).toStdString(), "");

    grants.microphone = CaptureAuthorizationStatus::notDetermined;
    grants.accessibilityTrusted = false;
    notifications.post(WindowNotification::showOnboardingSheet);
    settle();
    QDialog* onboarding = view().sheetDialog();
    ASSERT_NE(onboarding, nullptr);
    for (int step = 0; step < 3; ++step) {
        SCOPED_TRACE("onboarding step " + std::to_string(step));
        settle();
        EXPECT_EQ(layoutFaults(*onboarding).join(QLatin1Char('\n')).toStdString(), "");
        auto buttons = onboarding->findChildren<QAbstractButton*>();
        for (QAbstractButton* button : buttons) {
            if (button->text() == QStringLiteral("Weiter")) {
                button->click();
                break;
            }
        }
    }
}

// The sheets the editor tabs open over the window: a snippet with a long
// replacement in its edit sheet, and the application picker of a profile.
TEST_F(WindowLayoutTest, EditorSheetsFitOverTheWindow) {
    appState->snippetService().add(
        {platform::Uuid(), "mfg",
         "Mit freundlichen Grüßen\n\nMaximiliane Mustermann-Lüdenscheid\nAbteilung für Spracherkennung", false, true});
    show(SettingsTab::snippets, false, false);
    const auto snippetRows = editortests::childrenOfType<SnippetRow>(*window);
    ASSERT_FALSE(snippetRows.empty());
    snippetRows.back()->editButton().click();
    settle();
    const auto snippets = editortests::childrenOfType<SnippetsSettingsView>(*window);
    ASSERT_EQ(snippets.size(), 1u);
    SnippetEditSheet* editSheet = snippets.front()->editSheet();
    ASSERT_NE(editSheet, nullptr);
    EXPECT_TRUE(editSheet->isVisible());
    EXPECT_LE(editSheet->width(), window->width());
    EXPECT_LE(editSheet->height(), window->height());
    EXPECT_EQ(layoutFaults(*editSheet).join(QLatin1Char('\n')).toStdString(), "");
    editSheet->cancelButton().click();
    settle();

    show(SettingsTab::claude, false, false);
    const auto rewriting = editortests::childrenOfType<ClaudeSettingsView>(*window);
    ASSERT_EQ(rewriting.size(), 1u);
    ProfileDetailView* detail = rewriting.front()->detailView();
    ASSERT_NE(detail, nullptr);
    detail->addAppButton().click();
    settle();
    AppPickerSheet* picker = detail->appPicker();
    ASSERT_NE(picker, nullptr);
    EXPECT_TRUE(picker->isVisible());
    EXPECT_LE(picker->width(), window->width());
    EXPECT_LE(picker->height(), window->height());
    EXPECT_EQ(layoutFaults(*picker).join(QLatin1Char('\n')).toStdString(), "");
    picker->doneButton().click();
    settle();
}

// An engine's error can run long: the status panel's engine line wraps over
// as many lines as it needs, inside the panel, and keeps every line whole.
TEST_F(WindowLayoutTest, ALongEngineErrorWrapsInsideTheStatusPanel) {
    engines->failToLoad = {EngineType::hushframe};
    engines->loadFailure = "the encoder in ~/.local/share/RazeziRuzer/Models/parakeet-tdt-0.6b-v3 could not be read "
                           "because its weight file ends before the last tensor";
    settings.setSelectedEngine(EngineType::hushframe);
    appState->loadSelectedEngine();
    runUntilIdle();
    settle();
    show(SettingsTab::general, false, true);
    ASSERT_NE(view().statusPanel(), nullptr);
    const auto panels = editortests::childrenOfType<SettingsStatusPanel>(*view().statusPanel());
    ASSERT_EQ(panels.size(), 1u);
    const SettingsStatusPanel* panel = panels.front();
    const QLabel& line = *panel->engineLine();
    EXPECT_EQ(line.text().toStdString(), "Model loading failed: " + *engines->loadFailure);
    EXPECT_GE(line.height(), 3 * QFontMetrics(line.font()).lineSpacing()) << "wrapped onto three lines or more";
    EXPECT_LE(line.mapTo(panel, QPoint(line.width(), 0)).x(), panel->width());
    EXPECT_EQ(layoutFaults(*window).join(QLatin1Char('\n')).toStdString(), "");
    EXPECT_TRUE(testsupport::matchesReference(render(1), {"OstrelVirorez/UI/Layout", "settings-status-engine-error"},
                                              {.channel = 16, .pixels = 40}));
}

TEST_F(WindowLayoutTest, EveryTabLooksAsKept) {
    for (const SettingsTab tab : allSettingsTabs) {
        show(tab, false, false);
        for (const int ratio : {1, 2}) {
            const std::string name = "settings-" + tabName(tab) + "@" + std::to_string(ratio) + "x";
            EXPECT_TRUE(testsupport::matchesReference(render(ratio), {"OstrelVirorez/UI/Layout", name},
                                                      {.channel = 16, .pixels = 40 * ratio * ratio}));
        }
    }
    show(SettingsTab::general, true, true);
    EXPECT_TRUE(testsupport::matchesReference(render(1), {"OstrelVirorez/UI/Layout", "settings-collapsed-status"},
                                              {.channel = 16, .pixels = 40}));
}

} // namespace
} // namespace ostrelvirorez::testing
