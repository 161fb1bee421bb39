#include "OstrelVirorez/UI/Editors/CorrectionRow.hpp"

#include "OstrelDesignKit/Tokens/Color.hpp"
#include "OstrelVirorez/UI/Editors/DictionarySettingsModel.hpp"
#include "OstrelVirorez/UI/Editors/ElidingLabel.hpp"

#include <QFileInfo>
#include <QHBoxLayout>
#include <QIcon>
#include <QMenu>
#include <QToolButton>
#include <QVBoxLayout>

namespace ostrelvirorez {

using namespace editors;

using ostreldesignkit::Color;
using ostreldesignkit::OstrelFontWeight;

namespace {

// The themed icon name or icon file of an application.
QIcon applicationIcon(const std::string& icon) {
    const QString name = qtText(icon);
    if (QFileInfo(name).isAbsolute()) return QIcon(name);
    return QIcon::fromTheme(name);
}

// A one-line text that gives way to the delete button when space runs out,
// ending in an ellipsis.
QLabel* shrinkable(const QString& text, double size, OstrelFontWeight weight, const QColor& color, QWidget* parent) {
    auto* label = new ElidingLabel(text, parent);
    label->setFont(ostreldesignkit::ostrelFont(size, weight));
    QPalette palette = label->palette();
    palette.setColor(QPalette::WindowText, color);
    label->setPalette(palette);
    return label;
}

} // namespace

CorrectionRow::CorrectionRow(DictionaryCorrection correction, DictionarySettingsModel& model, QWidget* parent)
    : HoverRow(parent), correction_(std::move(correction)), model_(model) {
    auto* column = new QVBoxLayout(this); // owned by this row
    column->setContentsMargins(4, 6, 4, 6);
    column->setSpacing(4);
    column->addWidget(makeMainLine());
    column->addWidget(makeAssignedAppsRow());
}

QWidget* CorrectionRow::makeMainLine() {
    auto* line = new QWidget(this);
    auto* row = new QHBoxLayout(line); // owned by the line
    row->setContentsMargins(0, 0, 0, 0);
    row->setSpacing(12);
    const QColor tertiary = Color::ostrelTextTertiary();
    row->addWidget(shrinkable("\"" + qtText(correction_.source) + "\"", 12, OstrelFontWeight::regular,
                              Color::ostrelTextSecondary(), line));
    row->addWidget(makeSymbol("arrow.right", 10, tertiary, line));
    row->addWidget(shrinkable(qtText(correction_.replacement), 12, OstrelFontWeight::medium, Color::primary(), line));
    if (correction_.caseSensitive) {
        auto* badge = makeSymbol("textformat", 10, tertiary, line);
        badge->setObjectName("caseSensitiveBadge");
        badge->setToolTip(QStringLiteral("Case-sensitive"));
        row->addWidget(badge);
    }
    if (correction_.isAutoLearned) {
        auto* badge = makeSymbol("brain.head.profile", 10, Color::withOpacity(Color::cyanElectric(), 0.7), line);
        badge->setObjectName("autoLearnedBadge");
        badge->setToolTip(QStringLiteral("Auto-learned"));
        row->addWidget(badge);
    }
    row->addStretch(1);
    row->addSpacing(4);
    deleteButton_ = makeSymbolButton("xmark.circle.fill", 14, Color::withOpacity(Color::ostrelTextSecondary(), 0.6),
                                     QStringLiteral("Delete"), line);
    QObject::connect(deleteButton_, &QToolButton::clicked, this, [this] { model_.remove(correction_); });
    row->addWidget(deleteButton_);
    return line;
}

QWidget* CorrectionRow::makeAssignedAppsRow() {
    auto* line = new QWidget(this);
    auto* row = new QHBoxLayout(line); // owned by the line
    row->setContentsMargins(2, 0, 0, 0);
    row->setSpacing(6);
    if (correction_.assignedApps.empty()) {
        auto* global = new RoundedFill(Color::withOpacity(Color::ostrelTextSecondary(), 0.12), 4, line);
        global->setObjectName("globalLabel");
        auto* inner = new QHBoxLayout(global); // owned by the label's fill
        inner->setContentsMargins(6, 2, 6, 2);
        inner->addWidget(makeText(QStringLiteral("Global"), 9, OstrelFontWeight::medium, Color::ostrelTextTertiary(), global));
        row->addWidget(global);
    }
    for (const auto& app : correction_.assignedApps) row->addWidget(makeAppChip(app, line));

    auto* menuButton = makeSymbolButton("plus.circle", 11, Color::ostrelTextSecondary(), QString(), line);
    menuButton->setObjectName("addAppMenuButton");
    addAppMenu_ = new QMenu(this);
    menuButton->setMenu(addAppMenu_);
    menuButton->setPopupMode(QToolButton::InstantPopup);
    menuButton->setStyleSheet("QToolButton { border: none; background: transparent; padding: 0; }"
                              "QToolButton::menu-indicator { image: none; width: 0; }");
    QObject::connect(addAppMenu_, &QMenu::aboutToShow, this, [this] { refreshAddAppMenu(); });
    row->addWidget(menuButton);
    row->addStretch(1);
    return line;
}

QWidget* CorrectionRow::makeAppChip(const AppInfo& app, QWidget* parent) {
    auto* chip = new RoundedFill(Color::withOpacity(Color::cyanElectric(), 0.14), 4, parent);
    chip->setObjectName("appChip");
    auto* row = new QHBoxLayout(chip); // owned by the chip
    row->setContentsMargins(6, 2, 6, 2);
    row->setSpacing(3);
    if (const auto icon = model_.appIcon(app.bundleIdentifier)) {
        const QIcon image = applicationIcon(*icon);
        if (!image.isNull()) {
            auto* iconLabel = new QLabel(chip);
            iconLabel->setPixmap(image.pixmap(11, 11));
            iconLabel->setFixedSize(11, 11);
            row->addWidget(iconLabel);
        }
    }
    row->addWidget(makeText(qtText(app.displayName), 10, OstrelFontWeight::medium, Color::primary(), chip));
    auto* remove = makeSymbolButton("xmark", 7, Color::ostrelTextSecondary(), QString(), chip);
    remove->setObjectName("removeAppButton");
    QObject::connect(remove, &QToolButton::clicked, this,
                     [this, id = app.bundleIdentifier] { model_.unassignApp(correction_, id); });
    row->addWidget(remove);
    return chip;
}

void CorrectionRow::refreshAddAppMenu() {
    addAppMenu_->clear();
    const auto candidates = model_.candidates(correction_);
    if (candidates.empty()) {
        addAppMenu_->addAction(QStringLiteral("Keine weiteren laufenden Apps"))->setEnabled(false);
        return;
    }
    addAppMenu_->addSection(QStringLiteral("Laufende Apps"));
    for (const auto& app : candidates) {
        QObject::connect(addAppMenu_->addAction(qtText(app.displayName)), &QAction::triggered, this,
                         [this, app] { model_.assignApp(correction_, app); });
    }
}

} // namespace ostrelvirorez
