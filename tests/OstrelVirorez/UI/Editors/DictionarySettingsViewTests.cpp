#include "OstrelVirorez/UI/Editors/DictionarySettingsView.hpp"

#include "OstrelVirorez/UI/Editors/CorrectionRow.hpp"
#include "OstrelVirorez/UI/Editors/ElidingLabel.hpp"
#include "OstrelVirorez/UI/SettingsRows/SettingsRows.hpp"
#include "tests/OstrelVirorez/UI/Editors/EditorViewSupport.hpp"
#include "tests/OstrelVirorez/UI/Editors/EditorsFixture.hpp"

#include <gtest/gtest.h>

#include <QLineEdit>
#include <QMenu>
#include <QToolButton>

namespace ostrelvirorez::testing {
namespace {

using namespace editortests;

class DictionarySettingsViewTest : public EditorsFixture {
protected:
    using Host = DarkHost<DictionarySettingsView>;

    std::unique_ptr<Host> makeHost() { return std::make_unique<Host>(*dictionary, settings, apps); }

    static std::vector<CorrectionRow*> rows(const QWidget& section) {
        return childrenOfType<CorrectionRow>(section);
    }
    static QWidget* section(const Host& host, const char* name) {
        return host.view->findChild<QWidget*>(QString::fromLatin1(name));
    }

    std::vector<AppInfo> running{{"org.example.Mail", "Mail"}, {"org.example.Notes", "Notes"}};
    AppAssignmentSource apps{[this] { return running; }, [](const std::string&) { return std::nullopt; }};
};

TEST_F(DictionarySettingsViewTest, DrawsTheSectionsRowsAndBadges) {
    auto assigned = correction("teh", "the");
    assigned.caseSensitive = true;
    assigned.assignedApps = {running[0]};
    dictionary->add(correction("AV Audio Engine", "AVAudioEngine"));
    dictionary->add(assigned);
    dictionary->add(correction("recieve", "receive", true));
    auto host = makeHost();
    const QImage image = host->render("dictionary-tab");

    for (const char* title : {"Auto-Corrections", "Corrections (2)", "Auto-Learned (1)", "Add Correction", "Defaults"})
        EXPECT_TRUE(labelWithText(*host->view, title)) << title;
    auto* manual = section(*host, "manualSection");
    auto* learned = section(*host, "autoLearnedSection");
    ASSERT_TRUE(manual && learned);
    EXPECT_EQ(rows(*manual).size(), 2u);
    EXPECT_EQ(childrenOfType<OstrelAppDivider>(*manual).size(), 1u); // none after the last row
    EXPECT_EQ(rows(*learned).size(), 1u);
    EXPECT_EQ(childrenOfType<OstrelAppDivider>(*learned).size(), 0u);
    EXPECT_TRUE(labelWithText(*manual, "\"AV Audio Engine\""));
    EXPECT_EQ(manual->findChildren<QWidget*>("caseSensitiveBadge").size(), 1u);
    EXPECT_EQ(learned->findChildren<QWidget*>("autoLearnedBadge").size(), 1u);
    EXPECT_EQ(manual->findChildren<QWidget*>("globalLabel").size(), 1u);
    EXPECT_EQ(manual->findChildren<QWidget*>("appChip").size(), 1u);
    EXPECT_TRUE(labelWithText(*manual, "Mail"));
    EXPECT_TRUE(host->view->removeAutoLearnedButton());
    EXPECT_FALSE(host->view->addButton().isEnabled());

    // The assigned app's chip is tinted with the electric cyan over the dark ground.
    auto* chip = manual->findChild<QWidget*>("appChip");
    const QPoint inChip = chip->mapTo(host->view->findChild<QScrollArea*>()->widget(), QPoint(2, chip->height() / 2));
    const QColor tint = image.pixelColor(inChip);
    EXPECT_GT(tint.blue(), tint.red() + 20);
    EXPECT_GT(tint.green(), tint.red() + 20);
}

TEST_F(DictionarySettingsViewTest, LongEntriesEndInAnEllipsisAndKeepTheirWholeText) {
    const std::string longSource = "an entry far longer than any row of the dictionary has room for on one line";
    dictionary->add(correction(longSource, "a replacement that is just as long as the entry it replaces here"));
    auto host = makeHost();
    host->window.resize(460, 900);
    host->settle();
    auto* manual = section(*host, "manualSection");
    ASSERT_TRUE(manual);
    const auto labels = childrenOfType<editors::ElidingLabel>(*manual);
    ASSERT_EQ(labels.size(), 2u);
    for (const editors::ElidingLabel* label : labels) {
        SCOPED_TRACE(label->text().toStdString());
        EXPECT_TRUE(label->shownText().endsWith(QStringLiteral("…")));
        EXPECT_LE(label->fontMetrics().horizontalAdvance(label->shownText()), label->width());
        EXPECT_EQ(label->toolTip(), label->text());
    }
    EXPECT_EQ(labels[0]->text(), QString::fromStdString("\"" + longSource + "\""));
    // The delete button stays inside the row.
    const CorrectionRow* row = rows(*manual).front();
    const QWidget& remove = row->deleteButton();
    EXPECT_LE(remove.mapTo(row, QPoint(remove.width(), 0)).x(), row->width());
}

TEST_F(DictionarySettingsViewTest, SearchRedrawsTheListsAndHidesTheLearnedSection) {
    dictionary->add(correction("core data", "CoreData"));
    dictionary->add(correction("recieve", "receive", true));
    auto host = makeHost();
    host->view->searchField().setText("zzz");
    host->settle();
    EXPECT_TRUE(labelWithText(*host->view, "Corrections (0)"));
    EXPECT_TRUE(labelWithText(*host->view, "No matches."));
    EXPECT_FALSE(section(*host, "autoLearnedSection"));
    EXPECT_FALSE(host->view->removeAutoLearnedButton());
    host->render("dictionary-no-matches");

    host->view->searchField().setText("");
    host->settle();
    EXPECT_TRUE(labelWithText(*host->view, "Auto-Learned (1)"));
    dictionary->remove(dictionary->corrections()[0].id); // a change of the store redraws as well
    host->settle();
    EXPECT_TRUE(labelWithText(*host->view, "No corrections yet."));
}

TEST_F(DictionarySettingsViewTest, FormAddsThroughTheButtonOnly) {
    auto host = makeHost();
    auto& view = *host->view;
    view.sourceField().setText("  AV Audio Engine ");
    view.replacementField().setText(" \t");
    EXPECT_FALSE(view.addButton().isEnabled());
    view.replacementField().setText("AVAudioEngine");
    view.caseSwitch().click();
    ASSERT_TRUE(view.addButton().isEnabled());
    view.addButton().click();
    host->settle();
    ASSERT_EQ(storedCorrections().size(), 1u);
    EXPECT_EQ(storedCorrections()[0].source, "AV Audio Engine");
    EXPECT_TRUE(storedCorrections()[0].caseSensitive);
    EXPECT_EQ(view.sourceField().text(), "");
    EXPECT_EQ(view.replacementField().text(), "");
    EXPECT_FALSE(view.caseSwitch().isChecked());
    EXPECT_FALSE(view.addButton().isEnabled());
    EXPECT_EQ(rows(*section(*host, "manualSection")).size(), 1u);
}

TEST_F(DictionarySettingsViewTest, RowsDeleteAndAssignApplications) {
    dictionary->add(correction("first", "First"));
    dictionary->add(correction("second", "Second"));
    auto host = makeHost();
    auto* row = rows(*section(*host, "manualSection"))[1];

    row->refreshAddAppMenu();
    const auto actions = row->addAppMenu().actions();
    ASSERT_EQ(actions.size(), 3);
    EXPECT_TRUE(actions[0]->isSeparator());
    EXPECT_EQ(actions[0]->text(), "Laufende Apps");
    EXPECT_EQ(actions[1]->text(), "Mail");
    actions[2]->trigger();
    host->settle();
    EXPECT_EQ(storedCorrections()[1].assignedApps, (std::vector<AppInfo>{running[1]}));

    row = rows(*section(*host, "manualSection"))[1];
    EXPECT_EQ(row->findChildren<QWidget*>("globalLabel").size(), 0u);
    row->refreshAddAppMenu();
    row->addAppMenu().actions()[1]->trigger(); // Mail, the one left
    host->settle();
    row = rows(*section(*host, "manualSection"))[1];
    row->refreshAddAppMenu();
    ASSERT_EQ(row->addAppMenu().actions().size(), 1);
    EXPECT_EQ(row->addAppMenu().actions()[0]->text(), "Keine weiteren laufenden Apps");

    for (int i = 0; i < 2; ++i) {
        row->findChild<QToolButton*>("removeAppButton")->click();
        host->settle();
        row = rows(*section(*host, "manualSection"))[1];
    }
    EXPECT_TRUE(storedCorrections()[1].assignedApps.empty());
    EXPECT_EQ(row->findChildren<QWidget*>("globalLabel").size(), 1u);

    row->deleteButton().click();
    host->settle();
    EXPECT_EQ(storedCorrections().size(), 1u);
    auto* manual = section(*host, "manualSection");
    EXPECT_EQ(rows(*manual).size(), 1u);
    EXPECT_EQ(childrenOfType<OstrelAppDivider>(*manual).size(), 0u);
}

TEST_F(DictionarySettingsViewTest, LearnedRemovalAndResetAskFirst) {
    dictionary->add(correction("adress", "address", true));
    dictionary->add(correction("recieve", "receive", true));
    dictionary->add(correction("manual", "Manual"));
    auto host = makeHost();
    auto& view = *host->view;
    view.searchField().setText("ss");
    host->settle();

    view.removeAutoLearnedButton()->click();
    host->settle();
    auto* alert = view.findChild<QMessageBox*>();
    ASSERT_TRUE(alert);
    EXPECT_EQ(alert->text(), "Remove Auto-Learned Corrections?");
    EXPECT_EQ(alert->informativeText(), "This removes all 2 auto-learned corrections, also those the search hides.");
    ASSERT_TRUE(answerAlert(view, "Cancel"));
    host->settle();
    EXPECT_EQ(storedCorrections().size(), 3u);
    EXPECT_FALSE(view.findChild<QMessageBox*>());

    view.removeAutoLearnedButton()->click();
    host->settle();
    ASSERT_TRUE(answerAlert(view, "Remove"));
    host->settle();
    const auto stored = storedCorrections();
    ASSERT_EQ(stored.size(), 1u);
    EXPECT_EQ(stored[0].source, "manual");

    view.resetButton().click();
    host->settle();
    EXPECT_EQ(view.findChild<QMessageBox*>()->text(), "Reset Dictionary?");
    ASSERT_TRUE(answerAlert(view, "Reset"));
    host->settle();
    EXPECT_EQ(storedCorrections(), DictionaryService::defaults());
    EXPECT_EQ(view.searchField().text(), "ss");
}

TEST_F(DictionarySettingsViewTest, LearningSwitchIsBoundToTheSetting) {
    settings.setCorrectionLearningEnabled(true);
    auto host = makeHost();
    EXPECT_TRUE(host->view->learningSwitch().isChecked());
    host->view->learningSwitch().click();
    EXPECT_FALSE(settings.correctionLearningEnabled());
    settings.setCorrectionLearningEnabled(true);
    EXPECT_TRUE(host->view->learningSwitch().isChecked());
}

} // namespace
} // namespace ostrelvirorez::testing
