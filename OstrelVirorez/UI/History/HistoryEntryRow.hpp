#pragma once
// One dictation in the History tab: mode symbol, application name, age and a
// delete button over the text cut to three lines, on a hover highlight.

#include "OstrelVirorez/Model/DictationHistoryEntry.hpp"

#include <QStringList>
#include <QWidget>

#include <functional>

class QAbstractButton;

namespace ostrelvirorez {

// Text wrapped to the width and cut after `maxLines` lines, the last one
// ending in an ellipsis when text is left over.
class HistoryEntryText final : public QWidget {
public:
    HistoryEntryText(const QString& text, int maxLines, QWidget* parent = nullptr);
    // The lines shown at `width` (the current width by default).
    QStringList shownLines(int width = -1) const;
    bool hasHeightForWidth() const override { return true; }
    int heightForWidth(int width) const override;
    QSize sizeHint() const override;
    QSize minimumSizeHint() const override;

protected:
    void paintEvent(QPaintEvent* event) override;

private:
    QString text_;
    int maxLines_;
};

class HistoryEntryRow final : public QWidget {
public:
    struct Content {
        DictationHistoryEntry entry;
        QString appName;
        QString age;
        std::string modeSymbol;
        QColor modeColor;
    };

    HistoryEntryRow(Content content, std::function<void()> onDelete, QWidget* parent = nullptr);

    const DictationHistoryEntry& entry() const { return entry_; }
    bool isHovering() const { return hovering_; }
    QAbstractButton& deleteButton() const { return *deleteButton_; }
    const HistoryEntryText& textView() const { return *text_; }

protected:
    void enterEvent(QEnterEvent* event) override;
    void leaveEvent(QEvent* event) override;
    void paintEvent(QPaintEvent* event) override;

private:
    DictationHistoryEntry entry_;
    bool hovering_ = false;
    QAbstractButton* deleteButton_;
    HistoryEntryText* text_;
};

} // namespace ostrelvirorez
