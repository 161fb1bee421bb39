#include "OstrelVirorez/UI/History/HistorySettingsView.hpp"

#include "OstrelVirorez/UI/History/HistoryEntryRow.hpp"
#include "OstrelVirorez/UI/SettingsRows/SettingsRows.hpp"
#include "tests/OstrelVirorez/UI/History/HistoryFixture.hpp"
#include "tests/OstrelVirorez/UI/TestApplication.hpp"

#include <QAbstractButton>
#include <QApplication>
#include <QDir>
#include <QLabel>
#include <QLineEdit>
#include <QMessageBox>
#include <QPushButton>
#include <QVBoxLayout>

namespace ostrelvirorez::testing {
namespace {

// Children of a class without its own meta-object, found by their C++ type.
template <typename T>
QList<T*> childrenOfType(const QWidget& root) {
    QList<T*> found;
    for (QWidget* child : root.findChildren<QWidget*>()) {
        if (auto* typed = dynamic_cast<T*>(child)) found << typed;
    }
    return found;
}
QStringList visibleLabelTexts(const QWidget& root) {
    QStringList texts;
    for (const QLabel* label : root.findChildren<QLabel*>()) {
        if (label->isVisibleTo(&root) && !label->text().isEmpty()) texts << label->text();
    }
    return texts;
}

QPushButton* alertButton(QMessageBox& alert, const QString& title) {
    for (QAbstractButton* button : alert.buttons()) {
        if (button->text() == title) return qobject_cast<QPushButton*>(button);
    }
    return nullptr;
}

class HistorySettingsViewTest : public HistoryFixture {
protected:
    HistorySettingsViewTest() {
        record("Termin am Montag bestätigt", "Mail");
        record("Hallo Welt", "Notes", "claude");
        record("Einkaufsliste: Milch", "", "clipboardRewrite");
    }

    // The tab on the settings window's dark ground, at the content area's size.
    std::unique_ptr<HistorySettingsView> makeView() {
        host = std::make_unique<QWidget>();
        QPalette palette = host->palette();
        palette.setColor(QPalette::Window, QColor("#0D0D0D"));
        palette.setColor(QPalette::WindowText, Qt::white);
        host->setPalette(palette);
        host->setAutoFillBackground(true);
        host->resize(480, 760);
        auto view = std::make_unique<HistorySettingsView>(settings, store.container(), [this] { return now; }, "de",
                                                          host.get());
        auto* layout = new QVBoxLayout(host.get());
        layout->setContentsMargins(0, 0, 0, 0);
        layout->addWidget(view.get());
        host->show();
        return view;
    }
    QImage render(const QString& name) {
        QApplication::processEvents();
        QImage image = host->grab().toImage();
        QDir().mkpath("renders");
        image.save("renders/" + name + ".png");
        return image;
    }
    static QList<HistoryEntryRow*> rows(const HistorySettingsView& view) {
        return childrenOfType<HistoryEntryRow>(view.entriesSection());
    }

    [[maybe_unused]] bool applicationReady = (testApplication(), true);
    std::unique_ptr<QWidget> host;
};

TEST_F(HistorySettingsViewTest, SwitchedOffOnlyTheSwitchShowsAndSwitchingOnStoresIt) {
    settings.setDictationHistoryEnabled(false);
    auto view = makeView();
    render("history-off");
    EXPECT_FALSE(view->historySections().isVisible());
    EXPECT_FALSE(view->historyToggle().toggle().isChecked());
    view->historyToggle().toggle().click();
    EXPECT_EQ(defaults.boolValue("dictationHistoryEnabled"), true);
    EXPECT_TRUE(view->historySections().isVisible());
}

TEST_F(HistorySettingsViewTest, ListsEntriesNewestFirstWithDividersBetweenThem) {
    auto view = makeView();
    render("history-list");
    const auto shown = rows(*view);
    ASSERT_EQ(shown.size(), 3);
    EXPECT_EQ(shown[0]->entry().text, "Einkaufsliste: Milch");
    EXPECT_EQ(shown[2]->entry().text, "Termin am Montag bestätigt");
    EXPECT_EQ(childrenOfType<OstrelAppDivider>(view->entriesSection()).size(), 2);
    const QStringList texts = visibleLabelTexts(view->entriesSection());
    EXPECT_TRUE(texts.contains("Einträge (3)"));
    EXPECT_TRUE(texts.contains("Unbekannt"));
    EXPECT_TRUE(texts.contains("vor 1 Minute"));
    EXPECT_TRUE(view->clearAllButton().isEnabled());
    EXPECT_EQ(shown[0]->deleteButton().toolTip(), "Löschen");
    EXPECT_TRUE(shown[0]->deleteButton().isVisible());

    view->searchField().setText("MAIL");
    EXPECT_EQ(rows(*view).size(), 1);
    EXPECT_TRUE(childrenOfType<OstrelAppDivider>(view->entriesSection()).isEmpty());
    EXPECT_TRUE(visibleLabelTexts(view->entriesSection()).contains("Einträge (1)"));
    view->searchField().setText("nirgends");
    EXPECT_TRUE(visibleLabelTexts(view->entriesSection()).contains("Keine Treffer."));
    render("history-no-match");
}

TEST_F(HistorySettingsViewTest, TextsLongerThanThreeLinesEndWithAnEllipsis) {
    record(std::string(40, 'a') + "\nzwei\ndrei\nvier\nfünf", "Mail");
    record("kurz", "Mail");
    auto view = makeView();
    const auto shown = rows(*view);
    const QStringList longLines = shown[1]->textView().shownLines(300);
    ASSERT_EQ(longLines.size(), 3);
    EXPECT_TRUE(longLines[2].endsWith(QChar(0x2026))) << longLines[2].toStdString();
    EXPECT_EQ(shown[0]->textView().shownLines(300), QStringList{"kurz"});
    render("history-long-text");
}

TEST_F(HistorySettingsViewTest, TheDeleteButtonRemovesItsEntry) {
    auto view = makeView();
    rows(*view)[1]->deleteButton().click();
    EXPECT_EQ(storedTexts(), (std::vector<std::string>{"Einkaufsliste: Milch", "Termin am Montag bestätigt"}));
    EXPECT_EQ(rows(*view).size(), 2);
}

TEST_F(HistorySettingsViewTest, ARefusedDeletionIsShownAndTheRowStays) {
    auto view = makeView();
    refuseDeletions(true);
    rows(*view)[0]->deleteButton().click();
    EXPECT_EQ(rows(*view).size(), 3);
    const auto* error = view->entriesSection().findChild<QLabel*>("deletionError");
    ASSERT_TRUE(error);
    EXPECT_TRUE(error->text().startsWith("Löschen fehlgeschlagen: "));
    render("history-deletion-refused");
}

TEST_F(HistorySettingsViewTest, ClearingAllAsksFirstAndCancellingKeepsEverything) {
    auto view = makeView();
    view->searchField().setText("hallo");
    view->clearAllButton().click();
    QMessageBox* alert = view->clearConfirmation();
    ASSERT_TRUE(alert);
    EXPECT_EQ(alert->text(), "Verlauf löschen?");
    EXPECT_EQ(alert->informativeText(), "Löscht dauerhaft alle 3 Verlaufseinträge.");
    alertButton(*alert, "Abbrechen")->click();
    QApplication::processEvents();
    EXPECT_EQ(storedTexts().size(), 3u);
    EXPECT_FALSE(view->model().showClearConfirm());

    view->clearAllButton().click();
    alert = view->clearConfirmation();
    ASSERT_TRUE(alert);
    alertButton(*alert, "Löschen")->click();
    QApplication::processEvents();
    EXPECT_TRUE(storedTexts().empty());
    EXPECT_TRUE(visibleLabelTexts(view->entriesSection()).contains("Einträge (0)"));
    EXPECT_TRUE(visibleLabelTexts(view->entriesSection()).contains("Keine Treffer."));
    view->searchField().clear();
    EXPECT_TRUE(visibleLabelTexts(view->entriesSection()).contains("Noch keine Diktate protokolliert."));
    render("history-cleared");
}

} // namespace
} // namespace ostrelvirorez::testing
