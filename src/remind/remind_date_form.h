#pragma once
// The reminder-date dialog asked for by Update when a page has no reminder: a date and a time.

#include <QDialog>

class QDateEdit;
class QTimeEdit;
class QPushButton;

namespace jb::remind {

class TGetRemindDateForm : public QDialog {
    Q_OBJECT
public:
    explicit TGetRemindDateForm(QWidget* parent = nullptr);

    // Puts `proposedDate` (whole days) in the date picker and 00:00 in the time picker.
    void Propose(double proposedDate);
    // The chosen date plus time of day.
    double Chosen() const;

    QDateEdit* rdate;
    QTimeEdit* RTime;
    QPushButton* OkButton;
    QPushButton* CancelButton;
};

}  // namespace jb::remind
