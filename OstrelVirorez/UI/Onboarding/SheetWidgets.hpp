#pragma once
// Small pieces both sheets are built from: wrapped text in a system style, a
// symbol image, a divider line.

#include "OstrelVirorez/UI/Onboarding/SystemTextStyle.hpp"

#include <QString>

#include <string>

class QColor;
class QFrame;
class QLabel;
class QWidget;

namespace ostrelvirorez::sheetstyle {

inline QString qt(const std::string& text) { return QString::fromStdString(text); }

// Word-wrapped text in `style`, secondary-coloured when asked.
QLabel* textLabel(const QString& text, SystemTextStyle style, bool secondary, QWidget* parent);
// The symbol at `size` in `color`, top-centred in a column `frameWidth` wide
// (its own width when 0).
QLabel* symbolLabel(const char* name, int size, const QColor& color, int frameWidth, QWidget* parent);
QFrame* divider(QWidget* parent);

} // namespace ostrelvirorez::sheetstyle
