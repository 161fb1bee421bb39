#pragma once
// One row of the snippets tab: the enable switch, the quoted trigger over the
// replacement (line feeds marked, two lines at most), and the edit and delete
// buttons. Actions go through the tab's view-model.

#include "OstrelVirorez/Model/Snippet.hpp"
#include "OstrelVirorez/UI/Editors/EditorWidgets.hpp"

#include <functional>

class QLabel;

namespace ostrelvirorez {

class OstrelSwitch;
class SnippetsSettingsModel;

class SnippetRow final : public editors::HoverRow {
public:
    SnippetRow(Snippet snippet, SnippetsSettingsModel& model, QWidget* parent = nullptr);

    const Snippet& snippet() const { return snippet_; }
    OstrelSwitch& enabledSwitch() const { return *enabledSwitch_; }
    QLabel& replacementLabel() const { return *replacement_; }
    QToolButton& editButton() const { return *editButton_; }
    QToolButton& deleteButton() const { return *deleteButton_; }

private:
    Snippet snippet_;
    OstrelSwitch* enabledSwitch_;
    QLabel* replacement_;
    QToolButton* editButton_;
    QToolButton* deleteButton_;
};

} // namespace ostrelvirorez
