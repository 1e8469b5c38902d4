#include "remind/time_box.h"

#include <QKeyEvent>

namespace jb::remind {

namespace {

// A key that types one of the characters between the parts of a time (":", ".", " ").
bool IsSeparatorKey(const QKeyEvent& event) {
    const QString text = event.text();
    return text.size() == 1 && text[0].isPrint() && !text[0].isLetterOrNumber();
}

}  // namespace

TimeBox::TimeBox(QWidget* parent) : QTimeEdit(parent) { setDisplayFormat("HH:mm:ss"); }

void TimeBox::keyPressEvent(QKeyEvent* event) {
    if (movedOn_ && IsSeparatorKey(*event)) {
        movedOn_ = false;
        event->accept();
        return;
    }
    const int before = currentSectionIndex();
    QTimeEdit::keyPressEvent(event);
    const QString text = event->text();
    movedOn_ = text.size() == 1 && text[0].isDigit() && currentSectionIndex() != before;
}

void TimeBox::mousePressEvent(QMouseEvent* event) {
    movedOn_ = false;
    QTimeEdit::mousePressEvent(event);
}

void TimeBox::focusInEvent(QFocusEvent* event) {
    movedOn_ = false;
    QTimeEdit::focusInEvent(event);
}

}  // namespace jb::remind
