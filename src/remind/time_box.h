#pragma once
// The time box of the reminder controls: a time picker showing hours, minutes and seconds, into
// which a whole time can be typed with its separators. The picker moves on to the next part by
// itself once a part is full, so the separator typed right after would move it on a second time
// ("09:12:00" would give 09:00:12); that separator is taken as already done. A click selects the
// part it lands on, as Tab does, so that what is typed next replaces that part instead of being
// put in beside its digits.

#include <QTimeEdit>

namespace jb::remind {

class TimeBox : public QTimeEdit {
    Q_OBJECT
  public:
    explicit TimeBox(QWidget* parent = nullptr);

  protected:
    void keyPressEvent(QKeyEvent* event) override;
    bool eventFilter(QObject* watched, QEvent* event) override;
    void focusInEvent(QFocusEvent* event) override;

  private:
    // The last key typed filled a part and the picker moved on to the next.
    bool movedOn_ = false;
};

}  // namespace jb::remind
