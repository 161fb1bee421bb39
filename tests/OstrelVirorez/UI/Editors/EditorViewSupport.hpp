#pragma once
// Helpers of the editor widget tests: a dark host window like the settings
// window's, renders of a tab's whole scrolled column, finding widgets by their
// text, and answering an open alert.

#include "OstrelDesignKit/Tokens/Color.hpp"
#include "tests/OstrelVirorez/UI/TestApplication.hpp"

#include "tests/Support/Qt/ReferenceImage.hpp"

#include <gtest/gtest.h>

#include <QAbstractButton>
#include <QApplication>
#include <QDir>
#include <QImage>
#include <QLabel>
#include <QMessageBox>
#include <QScrollArea>
#include <QVBoxLayout>
#include <QWidget>

#include <algorithm>
#include <memory>
#include <vector>

namespace ostrelvirorez::testing::editortests {

// Holds a tab on the dark ground and in the dark palette of the settings
// window, shown offscreen.
template <typename View>
struct DarkHost {
    template <typename... Args>
    explicit DarkHost(Args&&... args) {
        window.setAutoFillBackground(true);
        QPalette palette = window.palette();
        palette.setColor(QPalette::Window, ostreldesignkit::Color::ostrelBase());
        for (const auto role : {QPalette::WindowText, QPalette::Text, QPalette::ButtonText})
            palette.setColor(role, ostreldesignkit::Color::primary());
        palette.setColor(QPalette::Base, QColor(40, 40, 44));
        palette.setColor(QPalette::PlaceholderText, ostreldesignkit::Color::ostrelTextTertiary());
        window.setPalette(palette);
        auto* layout = new QVBoxLayout(&window); // owned by the window
        layout->setContentsMargins(0, 0, 0, 0);
        view = new View(std::forward<Args>(args)..., &window);
        layout->addWidget(view);
        window.resize(640, 900);
        window.show();
        settle();
    }

    // Runs posted events, deferred deletions included.
    void settle() {
        QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
        QApplication::processEvents();
        QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    }

    // The whole scrolled column as drawn, compared with its kept reference.
    QImage render(const QString& name) {
        settle();
        auto* column = view->template findChild<QScrollArea*>()->widget();
        const int width = column->width();
        const auto* layout = column->layout();
        const int height = layout->hasHeightForWidth() ? layout->heightForWidth(width) : layout->sizeHint().height();
        column->resize(width, std::max(height, layout->minimumSize().height()));
        settle();
        QImage image(column->size(), QImage::Format_ARGB32_Premultiplied);
        image.fill(ostreldesignkit::Color::ostrelBase());
        column->render(&image, QPoint(), QRegion(), QWidget::DrawChildren);
        EXPECT_TRUE(testsupport::matchesReference(image, {"OstrelVirorez/UI/Editors", name.toStdString()}));
        return image;
    }

    bool applicationReady = (testApplication(), true); // before any widget
    QWidget window;
    View* view = nullptr;
};

// The widgets of type T under `root`, depth first in creation order. The
// editors' widget classes carry no meta-object, so findChildren cannot tell
// them from plain widgets.
template <typename T>
std::vector<T*> childrenOfType(const QWidget& root) {
    std::vector<T*> found;
    for (auto* child : root.findChildren<QWidget*>())
        if (auto* typed = dynamic_cast<T*>(child)) found.push_back(typed);
    return found;
}

// The label under `root` showing exactly `text`, or null.
inline QLabel* labelWithText(const QWidget& root, const QString& text) {
    for (auto* label : root.findChildren<QLabel*>())
        if (label->text() == text) return label;
    return nullptr;
}

// Clicks the button titled `title` of the alert open over `root`.
inline bool answerAlert(const QWidget& root, const QString& title) {
    auto* alert = root.findChild<QMessageBox*>();
    if (!alert || !alert->isVisible()) return false;
    for (auto* button : alert->buttons()) {
        if (button->text() == title) {
            button->click();
            return true;
        }
    }
    return false;
}

} // namespace ostrelvirorez::testing::editortests
