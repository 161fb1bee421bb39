#include "OstrelVirorez/UI/Rewriting/AppPickerSheet.hpp"

#include "OstrelDesignKit/Glass/OstrelButton.hpp"
#include "OstrelDesignKit/Tokens/Color.hpp"
#include "OstrelDesignKit/Tokens/TextStyle.hpp"
#include "OstrelVirorez/UI/Rewriting/AppIconImage.hpp"
#include "OstrelVirorez/UI/Rewriting/LabelStyling.hpp"
#include "OstrelVirorez/UI/SettingsRows/VirorezColors.hpp"

#include <QHBoxLayout>
#include <QLineEdit>
#include <QPainter>
#include <QScrollArea>
#include <QVBoxLayout>

namespace ostrelvirorez {
namespace {

using ostreldesignkit::Color;
using ostreldesignkit::OstrelFontWeight;

QPalette darkPalette(QPalette palette) {
    palette.setColor(QPalette::Window, Color::ostrelBase());
    palette.setColor(QPalette::Base, Color::ostrelSurface());
    palette.setColor(QPalette::WindowText, Color::primary());
    palette.setColor(QPalette::Text, Color::primary());
    palette.setColor(QPalette::ButtonText, Color::primary());
    palette.setColor(QPalette::PlaceholderText, Color::ostrelTextTertiary());
    return palette;
}

QWidget* appIcon(const std::optional<std::string>& icon, QWidget* parent) {
    const QPixmap image = appIconPixmap(icon, 22);
    if (image.isNull()) return symbolLabel("app", 16, Color::ostrelTextSecondary(), QSize(22, 22), parent);
    auto* label = new QLabel(parent); // owned by parent
    label->setPixmap(image.scaled(22, 22, Qt::KeepAspectRatioByExpanding, Qt::SmoothTransformation));
    label->setFixedSize(22, 22);
    return label;
}

} // namespace

AppPickerSheet::AppPickerSheet(AppSettings& settings, AppCatalog& catalog, const platform::Uuid& profileID,
                               QWidget* parent)
    : QDialog(parent), model_(settings, catalog, profileID) {
    setWindowTitle(QStringLiteral("Add App"));
    setFixedSize(460, 520);
    setPalette(darkPalette(palette()));
    auto* stack = new QVBoxLayout(this); // owned by this dialog
    stack->setContentsMargins(16, 16, 16, 16);
    stack->setSpacing(12);

    auto* header = new QHBoxLayout; // owned by stack
    auto* title = new QLabel(QStringLiteral("Add App"), this);
    ostreldesignkit::applyTextStyle(*title, ostreldesignkit::TextStyle::headline);
    header->addWidget(title);
    header->addStretch(1);
    done_ = new ostreldesignkit::OstrelButton(QStringLiteral("Done"), this);
    QObject::connect(done_, &QAbstractButton::clicked, this, &QDialog::accept);
    header->addWidget(done_);
    stack->addLayout(header);

    search_ = new QLineEdit(this);
    search_->setPlaceholderText(QStringLiteral("Search..."));
    QObject::connect(search_, &QLineEdit::textEdited,
                     [this](const QString& text) { model_.setSearchText(text.toStdString()); });
    stack->addWidget(search_);

    auto* scroll = new QScrollArea(this);
    scroll->setWidgetResizable(true);
    scroll->setMinimumHeight(300);
    scroll->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    list_ = new QWidget;
    listStack_ = new QVBoxLayout(list_); // owned by list_
    listStack_->setContentsMargins(8, 4, 8, 4);
    listStack_->setSpacing(6);
    listStack_->addStretch(1);
    scroll->setWidget(list_);
    stack->addWidget(scroll, 1);

    modelChanged_ = model_.changed().connect([this] { refresh(); });
    model_.appear();
}

AppPickerSheet::~AppPickerSheet() {
    modelChanged_.disconnect();
    rows_.clear();
    const auto children = findChildren<QWidget*>(QString(), Qt::FindDirectChildrenOnly);
    for (auto* child : children) delete child;
}

void AppPickerSheet::paintEvent(QPaintEvent*) {
    QPainter painter(this);
    painter.fillRect(rect(), Color::ostrelBase());
}

void AppPickerSheet::refresh() {
    if (model_.shownApps() != shown_) rebuildRows();
    const auto assigned = model_.alreadyAssigned();
    for (const auto& row : rows_) {
        const auto found = assigned.find(row.app.bundleIdentifier);
        row.assignedLabel->setText(found == assigned.end() ? QString() : qt(found->second));
        row.assignedLabel->setVisible(found != assigned.end());
    }
}

void AppPickerSheet::rebuildRows() {
    // Rows are made anew only when the search changes the list, never from
    // inside one of their own buttons; old ones still go later to be safe.
    for (const auto& row : rows_) {
        auto* line = row.addButton->parentWidget();
        line->hide();
        line->deleteLater();
    }
    rows_.clear();
    shown_ = model_.shownApps();
    for (const auto& app : shown_) {
        auto* line = new QWidget(list_);
        auto* row = new QHBoxLayout(line); // owned by line
        row->setContentsMargins(0, 0, 0, 0);
        row->addWidget(appIcon(model_.icon(app.bundleIdentifier), line));
        auto* names = new QVBoxLayout; // owned by row
        names->addWidget(styledLabel(qt(app.displayName), 15, OstrelFontWeight::regular, std::nullopt, line));
        names->addWidget(
            styledLabel(qt(app.bundleIdentifier), 10, OstrelFontWeight::regular, Color::ostrelTextTertiary(), line));
        row->addLayout(names);
        row->addStretch(1);
        auto* assigned = styledLabel({}, 11, OstrelFontWeight::medium, VirorezColors::warning(), line);
        row->addWidget(assigned);
        auto* add = new ostreldesignkit::OstrelButton(QStringLiteral("Add"), line);
        QObject::connect(add, &QAbstractButton::clicked, [&model = model_, app] { model.add(app); });
        row->addWidget(add);
        listStack_->insertWidget(listStack_->count() - 1, line);
        line->show();
        rows_.push_back({app, assigned, add});
    }
}

} // namespace ostrelvirorez
