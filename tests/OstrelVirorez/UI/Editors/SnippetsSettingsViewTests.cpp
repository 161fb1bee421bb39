#include "OstrelVirorez/UI/Editors/SnippetsSettingsView.hpp"

#include "OstrelVirorez/UI/Editors/SnippetRow.hpp"
#include "OstrelVirorez/UI/SettingsRows/SettingsRows.hpp"
#include "tests/OstrelVirorez/UI/Editors/EditorViewSupport.hpp"
#include "tests/OstrelVirorez/UI/Editors/EditorsFixture.hpp"

#include <gtest/gtest.h>

#include <QFontMetrics>
#include <QLineEdit>
#include <QToolButton>

namespace ostrelvirorez::testing {
namespace {

using namespace editortests;

class SnippetsSettingsViewTest : public EditorsFixture {
protected:
    using Host = DarkHost<SnippetsSettingsView>;

    std::unique_ptr<Host> makeHost() { return std::make_unique<Host>(*snippets); }
    static std::vector<SnippetRow*> rows(const Host& host) {
        return childrenOfType<SnippetRow>(*host.view);
    }
    static QWidget& list(const Host& host) { return *host.view->findChild<QWidget*>("snippetList"); }
};

TEST_F(SnippetsSettingsViewTest, ListShowsRowsDividersAndTheLegend) {
    {
        auto host = makeHost();
        EXPECT_TRUE(labelWithText(*host->view, "Snippets (0)"));
        EXPECT_TRUE(labelWithText(*host->view, "No snippets yet."));
        EXPECT_TRUE(rows(*host).empty());
    }
    snippets->add(snippet("best regards", "Best regards,\nLena Marwitz\nmarwitz-studio.de\nLeipzig"));
    snippets->add(snippet("mfg", "Mit freundlichen Grüßen", false));
    snippets->add(snippet("heute datum", "{{DATE}}"));
    auto host = makeHost();
    host->render("snippets-tab");
    EXPECT_TRUE(labelWithText(*host->view, "Snippets (3)"));
    ASSERT_EQ(rows(*host).size(), 3u);
    EXPECT_EQ(childrenOfType<OstrelAppDivider>(list(*host)).size(), 2u);
    EXPECT_FALSE(rows(*host)[1]->enabledSwitch().isChecked());

    auto& replacement = rows(*host)[0]->replacementLabel();
    EXPECT_EQ(replacement.text(),
              QString::fromUtf8("Best regards, \u21B5 Lena Marwitz \u21B5 marwitz-studio.de \u21B5 Leipzig"));
    EXPECT_LE(replacement.height(), 2 * QFontMetrics(replacement.font()).lineSpacing());

    auto* legend = host->view->findChild<QWidget*>("placeholderLegend");
    ASSERT_TRUE(legend);
    for (const char* text : {"{{DATE}}", "{{DATE_ISO}}", "{{TIME}}", "{{DATETIME}}", "{{CLIPBOARD}}", "{{APP}}",
                             "{{NL}}", "Date ISO (2026-05-06)", "Current clipboard content"})
        EXPECT_TRUE(labelWithText(*legend, QString::fromUtf8(text))) << text;
    EXPECT_EQ(labelWithText(*legend, "{{APP}}")->width(), 130);
}

TEST_F(SnippetsSettingsViewTest, AddButtonStaysOffForAReplacementOfLineBreaks) {
    auto host = makeHost();
    auto& view = *host->view;
    view.triggerField().setText(" mfg ");
    view.replacementEditor().editor().setPlainText("\n\n");
    EXPECT_FALSE(view.addButton().isEnabled());
    view.replacementEditor().editor().setPlainText("Mit freundlichen Grüßen\n\n");
    ASSERT_TRUE(view.addButton().isEnabled());
    view.addButton().click();
    host->settle();
    ASSERT_EQ(storedSnippets().size(), 1u);
    EXPECT_EQ(storedSnippets()[0].trigger, "mfg");
    EXPECT_EQ(storedSnippets()[0].replacement, "Mit freundlichen Grüßen");
    EXPECT_EQ(view.triggerField().text(), "");
    EXPECT_EQ(view.replacementEditor().editor().toPlainText(), "");
    EXPECT_TRUE(labelWithText(view, "Snippets (1)"));
}

TEST_F(SnippetsSettingsViewTest, RowSwitchAndDeleteActAtOnce) {
    snippets->add(snippet("a", "x"));
    snippets->add(snippet("b", "y"));
    auto host = makeHost();
    rows(*host)[0]->enabledSwitch().click();
    host->settle();
    EXPECT_FALSE(storedSnippets()[0].isEnabled);
    EXPECT_FALSE(rows(*host)[0]->enabledSwitch().isChecked());
    rows(*host)[1]->deleteButton().click();
    host->settle();
    ASSERT_EQ(storedSnippets().size(), 1u);
    EXPECT_EQ(storedSnippets()[0].trigger, "a");
    EXPECT_EQ(childrenOfType<OstrelAppDivider>(list(*host)).size(), 0u);
}

TEST_F(SnippetsSettingsViewTest, EditSheetSavesATrimmedTriggerOrCancels) {
    snippets->add(snippet("a", "x"));
    snippets->add(snippet("b", "y", false));
    auto host = makeHost();
    auto& view = *host->view;
    rows(*host)[1]->editButton().click();
    host->settle();
    auto* sheet = view.editSheet();
    ASSERT_TRUE(sheet);
    EXPECT_TRUE(sheet->isVisible());
    EXPECT_EQ(sheet->width(), SnippetEditSheet::sheetWidth);
    EXPECT_EQ(sheet->triggerField().text(), "b");
    QDir().mkpath("renders");
    sheet->grab().save("renders/snippet-edit-sheet.png");

    sheet->triggerField().setText("   ");
    EXPECT_FALSE(sheet->saveButton().isEnabled());
    sheet->cancelButton().click();
    host->settle();
    EXPECT_FALSE(view.editSheet());
    EXPECT_EQ(storedSnippets()[1].trigger, "b");

    rows(*host)[1]->editButton().click();
    host->settle();
    sheet = view.editSheet();
    sheet->triggerField().setText(" bee ");
    sheet->replacementEditor().editor().setPlainText("");
    EXPECT_TRUE(sheet->saveButton().isEnabled());
    sheet->saveButton().click();
    host->settle();
    EXPECT_FALSE(view.editSheet());
    const auto stored = storedSnippets();
    EXPECT_EQ(stored[1].trigger, "bee");
    EXPECT_EQ(stored[1].replacement, "");
    EXPECT_FALSE(stored[1].isEnabled);
    EXPECT_EQ(stored[0].trigger, "a");
}

TEST_F(SnippetsSettingsViewTest, ResetAsksFirst) {
    snippets->add(snippet("mine", "x"));
    auto host = makeHost();
    host->view->triggerField().setText("typed");
    host->view->resetButton().click();
    host->settle();
    EXPECT_EQ(host->view->findChild<QMessageBox*>()->informativeText(),
              "This replaces all current snippets with the built-in defaults.");
    ASSERT_TRUE(answerAlert(*host->view, "Cancel"));
    host->settle();
    EXPECT_EQ(storedSnippets().size(), 1u);
    host->view->resetButton().click();
    host->settle();
    ASSERT_TRUE(answerAlert(*host->view, "Reset"));
    host->settle();
    EXPECT_EQ(storedSnippets(), SnippetService::defaults());
    EXPECT_EQ(rows(*host).size(), SnippetService::defaults().size());
    EXPECT_EQ(host->view->triggerField().text(), "typed");
}

} // namespace
} // namespace ostrelvirorez::testing
