#include "OstrelVirorez/App/SystemClipboard.hpp"

#include <QClipboard>
#include <QGuiApplication>
#include <QMimeData>

namespace ostrelvirorez {

namespace {

QClipboard* clipboard() {
    return QGuiApplication::instance() != nullptr ? QGuiApplication::clipboard() : nullptr;
}

} // namespace

std::optional<std::string> SystemClipboard::readText() {
    QClipboard* board = clipboard();
    if (board == nullptr) return std::nullopt;
    const QMimeData* data = board->mimeData();
    if (data == nullptr || !data->hasText()) return std::nullopt;
    return data->text().toStdString();
}

void SystemClipboard::writeText(const std::string& text) {
    QClipboard* board = clipboard();
    if (board == nullptr) return;
    board->clear();
    board->setText(QString::fromStdString(text));
}

} // namespace ostrelvirorez
