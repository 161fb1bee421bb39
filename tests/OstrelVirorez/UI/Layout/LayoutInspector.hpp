#pragma once
// Finds what a user would see as broken in a laid-out window: a visible
// widget whose frame reaches past its parent's (in a scroll area only
// sideways, since it scrolls up and down), a text that does not fit the
// widget showing it, and two visible controls or texts that cover each other
// (siblings, or floating buttons over another part of the window).

#include <QString>
#include <QStringList>

class QWidget;

namespace ostrelvirorez::testing {

// One line per fault, naming the widgets by class, object name and text.
QStringList layoutFaults(const QWidget& root);

// How `widget` is named in the faults.
QString describeWidget(const QWidget& widget);

} // namespace ostrelvirorez::testing
