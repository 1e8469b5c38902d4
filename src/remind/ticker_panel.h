#pragma once
// The last status panel, where the ticker types its announcements. A text wider than the panel
// shows its latest part, so that a long announcement scrolls along as it is typed; the whole
// text is the panel's tooltip.

#include <QLabel>

namespace jb::remind {

class TickerPanel : public QLabel {
    Q_OBJECT
public:
    using QLabel::QLabel;

    void SetTickerText(const QString& text);

protected:
    void paintEvent(QPaintEvent* event) override;
};

}  // namespace jb::remind
