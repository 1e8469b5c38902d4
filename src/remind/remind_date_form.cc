#include "remind/remind_date_form.h"

#include <QDateEdit>
#include <QHBoxLayout>
#include <QLabel>
#include <QPushButton>
#include <QTimeEdit>
#include <QVBoxLayout>

#include "remind/qt_dates.h"
#include "remind/time_box.h"

namespace jb::remind {

TGetRemindDateForm::TGetRemindDateForm(QWidget* parent) : QDialog(parent) {
    setObjectName("GetRemindDateForm");
    setWindowTitle("Quorvane Reminder Date");
    rdate = new QDateEdit(this);
    rdate->setObjectName("rdate");
    rdate->setAccessibleName("Reminder date");
    rdate->setCalendarPopup(true);
    rdate->setMinimumDate(DayZero());
    rdate->setDisplayFormat(PickerDateFormat());
    RTime = new TimeBox(this);
    RTime->setObjectName("RTime");
    RTime->setAccessibleName("Reminder time");
    OkButton = new QPushButton("&OK", this);
    OkButton->setObjectName("OkButton");
    OkButton->setDefault(true);
    CancelButton = new QPushButton("C&ancel", this);
    CancelButton->setObjectName("CancelButton");
    connect(OkButton, &QPushButton::clicked, this, &QDialog::accept);
    connect(CancelButton, &QPushButton::clicked, this, &QDialog::reject);

    auto* pickers = new QHBoxLayout;
    pickers->addWidget(new QLabel("Remind me on:", this));
    pickers->addWidget(rdate);
    pickers->addWidget(new QLabel("at:", this));
    pickers->addWidget(RTime);
    auto* buttons = new QHBoxLayout;
    buttons->addStretch();
    buttons->addWidget(OkButton);
    buttons->addWidget(CancelButton);
    auto* layout = new QVBoxLayout(this);
    layout->addLayout(pickers);
    layout->addLayout(buttons);
}

void TGetRemindDateForm::Propose(double proposedDate) {
    rdate->setDate(DateOfDays(proposedDate));
    RTime->setTime(QTime(0, 0));
}

double TGetRemindDateForm::Chosen() const { return DaysOfDate(rdate->date()) + FractionOfTime(RTime->time()); }

}  // namespace jb::remind
