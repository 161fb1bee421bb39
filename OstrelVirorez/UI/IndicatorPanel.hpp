#pragma once
// The dictation indicator's floating window, for now a small frameless label
// with the state's text. It never takes the focus, lets every click through
// to the windows below and stays above them.

#include "OstrelVirorez/Model/SettingEnums.hpp"

#include <QWidget>

class QLabel;

namespace ostrelvirorez {

class IndicatorPanel final : public QWidget {
public:
    explicit IndicatorPanel(IndicatorStyle style);

    IndicatorStyle style() const { return style_; }
    void setText(const QString& text);
    QString text() const;
    // Shows the panel centred near the top of the screen under the pointer,
    // without activating it.
    void present();

private:
    IndicatorStyle style_;
    QLabel* label_;
};

} // namespace ostrelvirorez
