#include "OstrelVirorez/UI/Rewriting/ProfileSidebarRow.hpp"

#include "OstrelDesignKit/Symbols/SymbolImage.hpp"
#include "OstrelDesignKit/Tokens/Color.hpp"
#include "OstrelVirorez/UI/Rewriting/LabelStyling.hpp"

#include <QApplication>
#include <QContextMenuEvent>
#include <QHBoxLayout>
#include <QLineEdit>
#include <QMenu>
#include <QMouseEvent>
#include <QPainter>
#include <QPainterPath>
#include <QVBoxLayout>

#include <functional>

namespace ostrelvirorez {
namespace {

using ostreldesignkit::Color;
using ostreldesignkit::OstrelFontWeight;

constexpr int iconPointSize = 13;

QColor iconColor(bool selected) { return selected ? Color::cyanElectric() : Color::ostrelTextSecondary(); }

} // namespace

ProfileSidebarRow::ProfileSidebarRow(ProfileListModel& model, const ProfileListModel::Row& row, QWidget* parent)
    : QWidget(parent), model_(model), row_(row) {
    auto* line = new QHBoxLayout(this); // owned by this widget
    line->setContentsMargins(10, 5, 10, 5);
    line->setSpacing(8);
    icon_ = symbolLabel(row.icon, iconPointSize, iconColor(row.selected), QSize(22, 22), this);
    line->addWidget(icon_);
    auto* texts = new QVBoxLayout; // owned by line
    texts->setSpacing(1);
    name_ = styledLabel({}, 13, OstrelFontWeight::regular, std::nullopt, this);
    nameField_ = new QLineEdit(this);
    nameField_->setPlaceholderText(QStringLiteral("Name"));
    nameField_->setFont(ostreldesignkit::ostrelFont(13, OstrelFontWeight::medium));
    QObject::connect(nameField_, &QLineEdit::textEdited,
                     [this](const QString& text) { model_.rename(row_.id, text.toStdString()); });
    QObject::connect(nameField_, &QLineEdit::returnPressed, [this] { model_.endRenaming(); });
    subtitle_ = styledLabel({}, 10, OstrelFontWeight::regular, Color::ostrelTextTertiary(), this);
    texts->addWidget(name_);
    texts->addWidget(nameField_);
    texts->addWidget(subtitle_);
    line->addLayout(texts, 1);
    apply(row);
}

void ProfileSidebarRow::apply(const ProfileListModel::Row& row) {
    const bool startsRenaming = row.renaming && !row_.renaming;
    row_ = row;
    icon_->setPixmap(
        QPixmap::fromImage(ostreldesignkit::SymbolImage::render(row.icon, iconPointSize, iconColor(row.selected))));
    name_->setText(qt(row.name));
    name_->setFont(ostreldesignkit::ostrelFont(13, row.selected ? OstrelFontWeight::demiBold : OstrelFontWeight::regular));
    name_->setVisible(!row.renaming);
    if (nameField_->text() != qt(row.name)) nameField_->setText(qt(row.name));
    nameField_->setVisible(row.renaming);
    if (startsRenaming) nameField_->setFocus();
    subtitle_->setText(qt(row.subtitle));
    update();
}

std::unique_ptr<QMenu> ProfileSidebarRow::contextMenu() {
    auto menu = std::make_unique<QMenu>();
    const auto id = row_.id;
    // The menu runs its own event loop inside this row's event handler, and
    // an action may make the list drop this row. So actions reach the model
    // only once the menu has closed and the handler has returned; they are
    // dropped if the list has gone by then.
    QObject* list = parent();
    const auto later = [list](std::function<void()> action) {
        return [list, action = std::move(action)] {
            QMetaObject::invokeMethod(list ? list : qApp, action, Qt::QueuedConnection);
        };
    };
    QObject::connect(menu->addAction(QStringLiteral("Rename")), &QAction::triggered,
                     later([&model = model_, id] { model.startRenaming(id); }));
    auto* icons = menu->addMenu(QStringLiteral("Icon")); // owned by menu
    for (const auto& option : ProfileListModel::iconOptions()) {
        auto* action = icons->addAction(ostreldesignkit::SymbolImage::icon(option.symbol), qt(option.name));
        QObject::connect(action, &QAction::triggered,
                         later([&model = model_, id, symbol = option.symbol] { model.setIcon(id, symbol); }));
    }
    if (row_.canDelete) {
        menu->addSeparator();
        QObject::connect(menu->addAction(QStringLiteral("Delete")), &QAction::triggered,
                         later([&model = model_, id] { model.deleteProfile(id); }));
    }
    return menu;
}

void ProfileSidebarRow::mousePressEvent(QMouseEvent* event) {
    if (event->button() == Qt::LeftButton) {
        model_.click(row_.id);
        return;
    }
    QWidget::mousePressEvent(event);
}

void ProfileSidebarRow::contextMenuEvent(QContextMenuEvent* event) {
    const auto menu = contextMenu();
    menu->exec(event->globalPos());
}

void ProfileSidebarRow::paintEvent(QPaintEvent*) {
    if (!row_.selected) return;
    QPainter painter(this);
    painter.setRenderHint(QPainter::Antialiasing);
    QPainterPath background;
    background.addRoundedRect(QRectF(rect()), 8, 8);
    painter.fillPath(background, Color::ostrelAccentBackground());
}

} // namespace ostrelvirorez
