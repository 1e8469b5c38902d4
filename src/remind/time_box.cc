#include "remind/time_box.h"

#include <QKeyEvent>
#include <QLineEdit>
#include <QMouseEvent>

namespace jb::remind {

namespace {

// A key that types one of the characters between the parts of a time (":", ".", " ").
bool IsSeparatorKey(const QKeyEvent& event) {
    const QString text = event.text();
    return text.size() == 1 && text[0].isPrint() && !text[0].isLetterOrNumber();
}

bool IsModifierKey(int key) {
    return key == Qt::Key_Shift || key == Qt::Key_Control || key == Qt::Key_Alt || key == Qt::Key_AltGr ||
           key == Qt::Key_Meta;
}

}  // namespace

TimeBox::TimeBox(QWidget* parent) : QTimeEdit(parent) {
    setDisplayFormat("HH:mm:ss");
    // Clicks land on the box's line, which places the caret itself.
    lineEdit()->installEventFilter(this);
}

bool TimeBox::eventFilter(QObject* watched, QEvent* event) {
    if (watched == lineEdit()) {
        if (event->type() == QEvent::MouseButtonPress) movedOn_ = false;
        // A click (not a drag that selected something) selects the part it placed the caret in.
        if (event->type() == QEvent::MouseButtonRelease &&
            static_cast<QMouseEvent*>(event)->button() == Qt::LeftButton && !lineEdit()->hasSelectedText())
            QMetaObject::invokeMethod(this, [this] { setSelectedSection(currentSection()); }, Qt::QueuedConnection);
    }
    return QTimeEdit::eventFilter(watched, event);
}

void TimeBox::keyPressEvent(QKeyEvent* event) {
    // The Shift pressed on its own before a ":" is not a key typed between the parts.
    if (IsModifierKey(event->key())) {
        QTimeEdit::keyPressEvent(event);
        return;
    }
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

void TimeBox::focusInEvent(QFocusEvent* event) {
    movedOn_ = false;
    QTimeEdit::focusInEvent(event);
}

}  // namespace jb::remind
