#include "OstrelVirorez/UI/Editors/VocabularySettingsView.hpp"

#include "OstrelVirorez/UI/SettingsRows/SettingsRows.hpp"
#include "tests/OstrelVirorez/UI/Editors/EditorViewSupport.hpp"
#include "tests/OstrelVirorez/UI/Editors/EditorsFixture.hpp"
#include "tests/OstrelVirorez/State/AppStateFixture.hpp"

#include <gtest/gtest.h>

#include <QLineEdit>

namespace ostrelvirorez::testing {
namespace {

using namespace editortests;

class VocabularySettingsViewTest : public EditorsFixture {
protected:
    using Host = DarkHost<VocabularySettingsView>;

    std::unique_ptr<Host> makeHost() { return std::make_unique<Host>(settings, lastTranscript); }

    Published<std::string> lastTranscript{std::string{}};
};

TEST_F(VocabularySettingsViewTest, PreviewAppearsWithTheSwitchAndARecordedDictation) {
    auto host = makeHost();
    auto& view = *host->view;
    EXPECT_TRUE(view.preview().isHidden());
    lastTranscript.set("wir deployen auf Kuber Netes");
    EXPECT_TRUE(view.preview().isHidden());
    view.previewSwitch().click();
    EXPECT_TRUE(settings.autoVocabularyLearningEnabled());
    EXPECT_FALSE(view.preview().isHidden());
    EXPECT_EQ(view.previewText().text(), "wir deployen auf Kuber Netes");
    EXPECT_TRUE(view.previewText().textInteractionFlags() & Qt::TextSelectableByMouse);
    EXPECT_TRUE(labelWithText(view, "LETZTES DIKTAT"));
    host->render("vocabulary-tab-preview");
    view.previewSwitch().click();
    EXPECT_TRUE(view.preview().isHidden());
}

TEST_F(VocabularySettingsViewTest, EditorWritesAsTypedAndFollowsTheSetting) {
    settings.setCustomVocabularyRaw("Swift, Qt");
    auto host = makeHost();
    auto& editor = host->view->vocabularyEditor().editor();
    EXPECT_EQ(editor.toPlainText(), "Swift, Qt");
    editor.setPlainText("Swift,\n  Qt ,,\nKotlin");
    EXPECT_EQ(settings.customVocabularyRaw(), "Swift,\n  Qt ,,\nKotlin");
    EXPECT_GE(host->view->vocabularyEditor().height(), 280);

    host->view->termField().setText("  ");
    EXPECT_FALSE(host->view->addButton().isEnabled());
    host->view->termField().setText(" Rust ");
    host->view->addButton().click();
    EXPECT_EQ(settings.customVocabularyRaw(), "Swift, Qt, Kotlin, Rust");
    EXPECT_EQ(editor.toPlainText(), "Swift, Qt, Kotlin, Rust");
    EXPECT_EQ(host->view->termField().text(), "");
    EXPECT_FALSE(host->view->addButton().isEnabled());
}

class VocabularyOnAppStateTest : public AppStateFixture {
protected:
    VocabularyOnAppStateTest() { testApplication(); }
};

TEST_F(VocabularyOnAppStateTest, PreviewShowsTheApplicationsLastDictation) {
    launch();
    settings.setAutoVocabularyLearningEnabled(true);
    VocabularySettingsView view(settings, *appState);
    EXPECT_TRUE(view.preview().isHidden());
    appState->lastTranscript.set("Kuber Netes");
    EXPECT_FALSE(view.preview().isHidden());
    EXPECT_EQ(view.previewText().text(), "Kuber Netes");
}

} // namespace
} // namespace ostrelvirorez::testing
