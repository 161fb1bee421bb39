#include "OstrelDesignKit/Status/StatusWidgets.hpp"
#include "OstrelDesignKit/Tokens/Color.hpp"
#include "OstrelVirorez/UI/Rewriting/ApiCompactSection.hpp"
#include "OstrelVirorez/UI/Rewriting/ApiCompactSectionModel.hpp"
#include "OstrelVirorez/UI/Rewriting/AppPickerSheet.hpp"
#include "OstrelVirorez/UI/Rewriting/ClaudeSettingsView.hpp"
#include "OstrelVirorez/UI/Rewriting/ProfileDetailView.hpp"
#include "OstrelVirorez/UI/Rewriting/ProfileListView.hpp"
#include "OstrelVirorez/UI/Rewriting/ProfileSidebarRow.hpp"
#include "OstrelVirorez/UI/Rewriting/SymbolButton.hpp"
#include "OstrelVirorez/UI/SettingsRows/SettingsRows.hpp"
#include "OstrelVirorez/UI/SettingsRows/VirorezColors.hpp"
#include "tests/OstrelVirorez/UI/Rewriting/RewritingFixture.hpp"
#include "tests/OstrelVirorez/UI/TestApplication.hpp"

#include <gtest/gtest.h>

#include <QApplication>
#include <QComboBox>
#include <QDir>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QMouseEvent>
#include <QPlainTextEdit>
#include <QSplitter>
#include <QStandardItemModel>

namespace ostrelvirorez::testing::rewritingtab {
namespace {

// Types `text` into `widget` key by key, as a user would.
void type(QWidget& widget, const QString& text) {
    for (const QChar character : text) {
        QKeyEvent press(QEvent::KeyPress, 0, Qt::NoModifier, QString(character));
        QApplication::sendEvent(&widget, &press);
    }
}

void pressReturn(QWidget& widget) {
    QKeyEvent press(QEvent::KeyPress, Qt::Key_Return, Qt::NoModifier);
    QApplication::sendEvent(&widget, &press);
}

void leftClick(QWidget& widget) {
    const QPointF centre(widget.width() / 2.0, widget.height() / 2.0);
    QMouseEvent press(QEvent::MouseButtonPress, centre, widget.mapToGlobal(centre), Qt::LeftButton, Qt::LeftButton,
                      Qt::NoModifier);
    QApplication::sendEvent(&widget, &press);
}

// Runs what was queued for the event loop and lets set-aside widgets go.
void settle() {
    QCoreApplication::sendPostedEvents();
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
}

QAction* entry(QMenu& menu, const QString& text) {
    for (auto* action : menu.actions()) {
        if (action->text() == text) return action;
    }
    return nullptr;
}

QImage render(QWidget& widget, const QString& name) {
    QDir().mkpath("renders");
    const QImage image = widget.grab().toImage();
    image.save("renders/" + name + ".png");
    return image;
}

class ClaudeSettingsViewTest : public RewritingFixture {
protected:
    QApplication& application = testApplication();
    std::unique_ptr<ClaudeSettingsView> view;

    void open() {
        view = std::make_unique<ClaudeSettingsView>(
            settings, ClaudeSettingsView::Services{keychain, apiKeyAccount, onDeviceModel, catalog});
        // The settings window gives its tabs a dark palette and background.
        QPalette dark = view->palette();
        dark.setColor(QPalette::Window, ostreldesignkit::Color::ostrelBase());
        dark.setColor(QPalette::Base, ostreldesignkit::Color::ostrelSurface());
        dark.setColor(QPalette::Button, ostreldesignkit::Color::ostrelSurface());
        for (const auto role : {QPalette::WindowText, QPalette::Text, QPalette::ButtonText}) {
            dark.setColor(role, ostreldesignkit::Color::primary());
        }
        view->setPalette(dark);
        view->setAutoFillBackground(true);
        view->resize(820, 640);
        view->show();
        QApplication::processEvents();
    }
    ApiCompactSection& section() { return view->apiSection(); }
    ProfileSidebarRow& row(std::size_t index) { return *view->profileList().rows().at(index); }
    ProfileDetailView& detail() {
        EXPECT_NE(view->detailView(), nullptr);
        return *view->detailView();
    }
};

TEST_F(ClaudeSettingsViewTest, FirstStartShowsAnEmptyKeyTheBuiltInProfilesAndTheFirstSelected) {
    open();
    EXPECT_EQ(view->sidebar().minimumWidth(), 180);
    EXPECT_EQ(view->sidebar().maximumWidth(), 220);
    EXPECT_LE(view->sidebar().width(), 220);
    EXPECT_EQ(view->splitView().count(), 2);

    EXPECT_EQ(section().keyField().text(), "");
    EXPECT_EQ(section().keyField().echoMode(), QLineEdit::Password);
    EXPECT_EQ(section().keyField().placeholderText(), "sk-ant-...");
    EXPECT_FALSE(section().saveButton().isEnabled());
    EXPECT_EQ(section().statusDot().dot().color, VirorezColors::warning());
    EXPECT_FALSE(section().saveErrorLabel().isVisible());
    EXPECT_EQ(section().modelPicker().currentText(), "Sonnet 5 (empfohlen)");
    EXPECT_FALSE(section().providerPicker().isEnabled());
    EXPECT_EQ(section().providerNote().text().toStdString(), ApiCompactSectionModel::localUnavailableNote());

    const auto& builtIn = RewritingProfile::defaults();
    ASSERT_EQ(view->profileList().rows().size(), builtIn.size());
    EXPECT_TRUE(row(0).row().selected);
    EXPECT_EQ(row(0).nameLabel().text(), "E-Mail");
    EXPECT_EQ(row(0).subtitleLabel().text(), "4 apps");
    EXPECT_EQ(row(builtIn.size() - 1).subtitleLabel().text(), "default");
    EXPECT_EQ(detail().model().profileID(), builtIn[0].id);
    EXPECT_TRUE(view->removeButton().isVisible());
    EXPECT_FALSE(view->placeholder().isVisible());

    const QImage image = render(*view, "rewriting-tab");
    EXPECT_EQ(image.size(), view->size() * view->devicePixelRatio());
    // The status dot is drawn in the warning orange.
    const QPoint dot = section().statusDot().mapTo(view.get(), section().statusDot().rect().center());
    const QColor pixel = image.pixelColor(dot * view->devicePixelRatio());
    EXPECT_GT(pixel.red(), 200);
    EXPECT_LT(pixel.blue(), 80);
    EXPECT_GT(pixel.red(), pixel.green());
}

TEST_F(ClaudeSettingsViewTest, KeyIsTypedRevealedAndSavedTrimmedWithFailuresShown) {
    open();
    type(section().keyField(), "  sk-ant-key ");
    EXPECT_TRUE(section().saveButton().isEnabled());
    EXPECT_EQ(section().saveButton().color(), VirorezColors::success());
    EXPECT_EQ(section().statusDot().dot().color, VirorezColors::warning());

    section().revealButton().click();
    EXPECT_EQ(section().keyField().echoMode(), QLineEdit::Normal);
    EXPECT_EQ(section().revealButton().symbol(), "eye.slash");
    EXPECT_EQ(section().keyField().text(), "  sk-ant-key ");

    keychain.failWrites = true;
    section().saveButton().click();
    EXPECT_TRUE(section().saveErrorLabel().isVisible());
    EXPECT_EQ(section().saveErrorLabel().text().toStdString(), ApiCompactSectionModel::saveFailedMessage());
    EXPECT_EQ(storedKey(), std::nullopt);
    render(*view, "rewriting-tab-save-failed");

    keychain.failWrites = false;
    section().saveButton().click();
    EXPECT_EQ(storedKey(), "sk-ant-key");
    EXPECT_EQ(section().keyField().text(), "sk-ant-key");
    EXPECT_FALSE(section().saveErrorLabel().isVisible());
    EXPECT_EQ(section().statusDot().dot().color, VirorezColors::success());
}

TEST_F(ClaudeSettingsViewTest, StoredLocalProviderCanBeSwitchedBackToTheHostedOne) {
    settings.setRewriteProvider(RewriteProvider::local);
    open();
    auto& picker = section().providerPicker();
    EXPECT_TRUE(picker.isEnabled());
    EXPECT_EQ(picker.currentText(), "Lokal (Apple Intelligence)");
    const auto* items = qobject_cast<QStandardItemModel*>(picker.model());
    EXPECT_TRUE(items->item(0)->isEnabled());
    EXPECT_FALSE(items->item(1)->isEnabled());

    picker.setCurrentIndex(0);
    Q_EMIT picker.activated(0);
    EXPECT_EQ(defaults.stringValue("rewriteProvider"), "claude");
    EXPECT_FALSE(picker.isEnabled());

    // A choice the model refuses snaps back to the stored provider.
    picker.setCurrentIndex(1);
    Q_EMIT picker.activated(1);
    EXPECT_EQ(defaults.stringValue("rewriteProvider"), "claude");
    EXPECT_EQ(picker.currentIndex(), 0);
}

TEST_F(ClaudeSettingsViewTest, ModelPickerAndBacktrackWriteThrough) {
    settings.setClaudeModel("claude-custom");
    open();
    EXPECT_EQ(section().modelPicker().currentIndex(), -1);
    EXPECT_EQ(defaults.stringValue("claudeModel"), "claude-custom");
    Q_EMIT section().modelPicker().activated(2);
    EXPECT_EQ(defaults.stringValue("claudeModel"), "claude-sonnet-4-5-20250929");
    section().backtrackSwitch().click();
    EXPECT_EQ(defaults.boolValue("backtrackEnabled"), true);
}

TEST_F(ClaudeSettingsViewTest, RowsSelectRenameChangeTheirIconAndDelete) {
    const auto profiles =
        storeProfiles({profileNamed("A", {{"a.one", "One"}}), profileNamed("B"), profileNamed("Default", {}, true)});
    open();
    leftClick(row(1));
    EXPECT_TRUE(row(1).row().selected);
    EXPECT_EQ(detail().model().profileID(), profiles[1].id);

    // The default profile's menu has no "Delete"; the others' has.
    const auto defaultMenu = row(2).contextMenu();
    EXPECT_EQ(entry(*defaultMenu, "Delete"), nullptr);
    ASSERT_NE(entry(*defaultMenu, "Icon"), nullptr);
    EXPECT_EQ(entry(*defaultMenu, "Icon")->menu()->actions().size(), 10);
    leftClick(row(2));
    EXPECT_FALSE(view->removeButton().isVisible());

    // "Rename" on row 0 selects it and shows a field whose keystrokes are stored.
    const auto menu = row(0).contextMenu();
    entry(*menu, "Rename")->trigger();
    settle();
    EXPECT_TRUE(row(0).nameField().isVisible());
    EXPECT_FALSE(row(0).nameLabel().isVisible());
    EXPECT_EQ(detail().model().profileID(), profiles[0].id);
    auto* field = &row(0).nameField();
    type(*field, "X");
    EXPECT_EQ(storedProfiles()[0].name, "AX");
    EXPECT_EQ(&row(0).nameField(), field) << "the field stays while typing";
    pressReturn(*field);
    EXPECT_FALSE(row(0).nameField().isVisible());
    EXPECT_EQ(row(0).nameLabel().text(), "AX");

    const auto iconMenu = row(0).contextMenu();
    entry(*entry(*iconMenu, "Icon")->menu(), "Star")->trigger();
    settle();
    EXPECT_EQ(storedProfiles()[0].icon, "star.fill");
    EXPECT_EQ(row(0).row().icon, "star.fill");

    // Deleting an unselected profile selects the first remaining one.
    const auto deleteMenu = row(1).contextMenu();
    entry(*deleteMenu, "Delete")->trigger();
    // The row whose menu ran stays until control is back in the event loop.
    EXPECT_EQ(view->profileList().rows().size(), 3u);
    settle();
    ASSERT_EQ(view->profileList().rows().size(), 2u);
    EXPECT_EQ(storedProfiles()[1].name, "Default");
    EXPECT_TRUE(row(0).row().selected);
    render(*view, "rewriting-tab-after-delete");
}

TEST_F(ClaudeSettingsViewTest, EmptyListShowsThePlaceholderUntilAProfileIsAdded) {
    storeProfiles({});
    open();
    EXPECT_TRUE(view->profileList().rows().empty());
    EXPECT_EQ(view->detailView(), nullptr);
    EXPECT_TRUE(view->placeholder().isVisible());
    EXPECT_EQ(view->placeholder().text(), "Select a profile");
    EXPECT_FALSE(view->removeButton().isVisible());
    render(*view, "rewriting-tab-empty");

    view->addButton().click();
    settle();
    ASSERT_EQ(view->profileList().rows().size(), 1u);
    EXPECT_EQ(row(0).subtitleLabel().text(), "0 apps");
    EXPECT_FALSE(view->placeholder().isVisible());
    EXPECT_EQ(detail().model().profileID(), storedProfiles()[0].id);
    EXPECT_TRUE(view->removeButton().isVisible());

    view->removeButton().click();
    settle();
    EXPECT_TRUE(storedProfiles().empty());
    EXPECT_EQ(view->detailView(), nullptr);
    EXPECT_TRUE(view->placeholder().isVisible());
}

TEST_F(ClaudeSettingsViewTest, EditorWritesEveryControlAndKeepsTheTriggerTextWhileTyping) {
    auto builtIn = RewritingProfile::defaults();
    auto mine = profileNamed("E-Mail", {{"a.one", "One"}, {"a.two", "Two"}, {"a.one", "One"}});
    mine.prompt = builtIn[0].prompt;
    const auto profiles = storeProfiles({mine, builtIn.back()});
    open();
    auto& editor = detail();
    EXPECT_FALSE(editor.defaultNote().isVisible());
    EXPECT_EQ(editor.chipRemoveButtons().size(), 3u);
    EXPECT_FALSE(editor.resetButton().isVisible());

    editor.chipRemoveButtons()[0]->click();
    settle();
    EXPECT_EQ(storedProfiles()[0].assignedApps, (std::vector<AppInfo>{{"a.two", "Two"}}));
    EXPECT_EQ(editor.chipRemoveButtons().size(), 1u);
    EXPECT_EQ(row(0).subtitleLabel().text(), "1 app");

    type(editor.triggerWordsField(), " Mail ,, Antwort , ");
    EXPECT_EQ(storedProfiles()[0].triggerWords, (std::vector<std::string>{"Mail", "Antwort"}));
    EXPECT_EQ(editor.triggerWordsField().text(), " Mail ,, Antwort , ");
    Q_EMIT editor.triggerWordsField().editingFinished();
    EXPECT_EQ(editor.triggerWordsField().text(), "Mail, Antwort");

    editor.clipboardSwitch().click();
    EXPECT_TRUE(storedProfiles()[0].includeClipboardContext);
    Q_EMIT editor.enginePicker().activated(4);
    EXPECT_EQ(storedProfiles()[0].preferredEngine, EngineType::nemotron);
    EXPECT_NE(editor.engineNote().text().indexOf("Nemotron 3.5 (Streaming)"), -1);

    editor.promptEditor().moveCursor(QTextCursor::End);
    type(editor.promptEditor(), "!");
    EXPECT_EQ(storedProfiles()[0].prompt, builtIn[0].prompt + "!");
    EXPECT_TRUE(editor.resetButton().isVisible());
    editor.resetButton().click();
    EXPECT_EQ(storedProfiles()[0].prompt, builtIn[0].prompt);
    EXPECT_EQ(editor.promptEditor().toPlainText().toStdString(), builtIn[0].prompt);
    EXPECT_FALSE(editor.resetButton().isVisible());
    render(*view, "rewriting-editor");

    // The default profile shows its note instead of chips.
    leftClick(row(1));
    settle();
    EXPECT_TRUE(detail().defaultNote().isVisible());
    EXPECT_FALSE(detail().chipArea().isVisible());
    render(*view, "rewriting-editor-default");
}

TEST_F(ClaudeSettingsViewTest, AppPickerAssignsAppsAndTheEditorShowsThemAtOnce) {
    catalog.running = {{"a.mail", "Mail"}, {"a.slack", "Slack"}};
    catalog.installed = {{"b.notes", "Notes"}};
    const auto profiles = storeProfiles({profileNamed("Mine"), profileNamed("Chat", {{"a.slack", "Slack"}})});
    open();
    detail().addAppButton().click();
    AppPickerSheet* sheet = detail().appPicker();
    ASSERT_NE(sheet, nullptr);
    EXPECT_TRUE(sheet->isVisible());
    EXPECT_EQ(sheet->size(), QSize(460, 520));
    ASSERT_EQ(sheet->rows().size(), 2u);
    EXPECT_FALSE(sheet->rows()[0].assignedLabel->isVisible());
    EXPECT_EQ(sheet->rows()[1].assignedLabel->text(), "Chat");
    render(*sheet, "app-picker");

    sheet->rows()[1].addButton->click();
    sheet->rows()[0].addButton->click();
    EXPECT_EQ(storedProfiles()[0].assignedApps, (std::vector<AppInfo>{{"a.slack", "Slack"}, {"a.mail", "Mail"}}));
    EXPECT_TRUE(storedProfiles()[1].assignedApps.empty());
    EXPECT_EQ(sheet->rows()[1].assignedLabel->text(), "Mine");
    EXPECT_EQ(detail().chipRemoveButtons().size(), 2u);

    type(sheet->searchField(), "Not");
    ASSERT_EQ(sheet->rows().size(), 1u);
    EXPECT_EQ(sheet->rows()[0].app.bundleIdentifier, "b.notes");
    render(*sheet, "app-picker-search");

    sheet->doneButton().click();
    settle();
    EXPECT_EQ(detail().appPicker(), nullptr);
    EXPECT_FALSE(detail().model().showAppPicker());
}

} // namespace
} // namespace ostrelvirorez::testing::rewritingtab
