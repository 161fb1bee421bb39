#pragma once
// The status row's content for the engine manager's status: "Not loaded", a
// spinner with the download or load message, the green "Ready" dot, or the
// red warning symbol with the error's message cut at the end of its second line.

#include "OstrelVirorez/UI/General/SpeechEngineModel.hpp"

#include <QWidget>

class QLabel;

namespace ostrelvirorez::general {

class EngineStatusView final : public QWidget {
public:
    static constexpr int messageWidth = 240;
    static constexpr int messageLines = 2;

    explicit EngineStatusView(QWidget* parent = nullptr);
    void display(const SpeechEngineModel::StatusLine& line);

    // The text shown, whichever look it has.
    QString shownText() const;
    SpeechEngineModel::StatusLine::Look look() const { return look_; }

    // `text` laid out `width` wide in `font`, cut with an ellipsis at the end
    // of line `lines` when it needs more lines.
    static QString fitToLines(const QString& text, const QFont& font, int width, int lines);

private:
    SpeechEngineModel::StatusLine::Look look_ = SpeechEngineModel::StatusLine::Look::notLoaded;
    QWidget* current_ = nullptr; // owned by this widget
    QLabel* text_ = nullptr;     // inside current_
};

} // namespace ostrelvirorez::general
