#include "remind/ticker_panel.h"

#include <QPainter>

namespace jb::remind {

void TickerPanel::SetTickerText(const QString& text) {
    setText(text);
    setToolTip(text);
}

void TickerPanel::paintEvent(QPaintEvent* event) {
    QFrame::paintEvent(event);  // the sunken frame only: the text is drawn here
    QPainter painter(this);
    const QRect room = contentsRect().adjusted(2, 0, -2, 0);
    const QFontMetrics metrics = fontMetrics();
    if (metrics.horizontalAdvance(text()) <= room.width()) {
        painter.drawText(room, Qt::AlignCenter, text());
        return;
    }
    painter.drawText(room, Qt::AlignLeft | Qt::AlignVCenter, metrics.elidedText(text(), Qt::ElideLeft, room.width()));
}

}  // namespace jb::remind
