// The main window's reminder controls, the status ticker and the message of the day. Built
// with the window (these are TMainForm members).

#include <QAction>
#include <QCheckBox>
#include <QDateEdit>
#include <QTimeEdit>
#include <QTimer>
#include <chrono>

#include "remind/daily_message.h"
#include "remind/qt_dates.h"
#include "remind/reminder_value.h"
#include "workspace/main_form.h"

namespace jb::workspace {

double TMainForm::RemindDateValue() const { return remind::DaysOfDate(RemindDate->date()); }

double TMainForm::RemindTimeValue() const { return remind::FractionOfTime(RemindTime->time()); }

// Values set by the program are not the user's changes: they do not mark the page modified.
void TMainForm::SetRemindDateValue(double days) {
    settingPickers_ = true;
    RemindDate->setDate(remind::DateOfDays(days));
    settingPickers_ = false;
}

void TMainForm::SetRemindTimeValue(double fraction) {
    settingPickers_ = true;
    RemindTime->setTime(remind::TimeOfFraction(fraction));
    settingPickers_ = false;
}

void TMainForm::CheckBoxRemindMeClick(bool ticked) {
    SetModified(true);
    MMenuRemind->setChecked(ticked);
    RemindDate->setEnabled(ticked);
    RemindTime->setEnabled(ticked);
    if (ticked) {
        SetRemindDateValue(clock.Today() + settings.howFarDef);
    } else {
        SetRemindDateValue(0);
        SetRemindTimeValue(0);
    }
}

void TMainForm::MMenuRemindClick() {
    MMenuRemind->setChecked(CheckBoxRemindMe->isChecked());  // the box's handler sets it
    CheckBoxRemindMe->toggle();
}

void TMainForm::RemindDateChange() {
    if (!settingPickers_) SetModified(true);
}

void TMainForm::RemindTimeChange() {
    if (!settingPickers_) SetModified(true);
}

void TMainForm::ShowReminder(double reminder) {
    if (remind::HasReminder(reminder)) {
        CheckBoxRemindMe->setChecked(true);
        RemindDate->setEnabled(true);
        RemindTime->setEnabled(true);
        SetRemindDateValue(reminder);
        SetRemindTimeValue(reminder);
    } else {
        CheckBoxRemindMe->setChecked(false);
        RemindDate->setEnabled(false);
        RemindTime->setEnabled(false);
        MMenuRemind->setChecked(false);
    }
}

double TMainForm::StoredReminderValue() {
    if (!CheckBoxRemindMe->isChecked()) SetRemindDateValue(0);
    return remind::StoredReminder(CheckBoxRemindMe->isChecked(), RemindDateValue(), RemindTimeValue());
}

void TMainForm::NewPageReminderDefaults() {
    if (settings.newPageRemind) {
        CheckBoxRemindMe->setChecked(true);
        SetRemindDateValue(clock.Now() + settings.howFarDef);
        RemindDate->setEnabled(true);
    } else {
        CheckBoxRemindMe->setChecked(false);
        SetRemindDateValue(0);
        RemindDate->setEnabled(false);
    }
}

void TMainForm::NoReminderPrompt() {
    if (ws.importInProgress || !EditorHasLines() || CheckBoxRemindMe->isChecked()) return;
    if (settings.onNoDateAlready > 1) return;
    const ui::MessageButton byDefault = settings.onNoDateAlready == 0 ? ui::kButtonYes : ui::kButtonNo;
    if (!ui::AskYesNo(dialogs, this, "This page has no reminder-date set. Do you wish to add one?", byDefault))
        return;
    std::optional<double> chosen = dialogs.AskRemindDate(this, clock.Today() + settings.howFarDef);
    if (!chosen) return;
    // The box's handler proposes the default date; the chosen date and time replace it.
    CheckBoxRemindMe->setChecked(true);
    SetRemindDateValue(*chosen);
    SetRemindTimeValue(*chosen);
}

void TMainForm::StartTicker(const QString& text, bool emptyPanel, bool resetPosition) {
    if (emptyPanel) SetPanelText(4, "");
    ticker_.SetText(text.toStdU16String(), resetPosition);
    Timer->start();
}

void TMainForm::TimerTimer() {
    std::optional<char16_t> next = ticker_.Tick();
    if (!next) {
        Timer->stop();
        return;
    }
    SetPanelText(4, PanelText(4) + QChar(*next));
}

QString TMainForm::GetTodaysMessage() {
    const auto seed = static_cast<std::uint32_t>(clock.Now() * 86400000.0) ^
                      static_cast<std::uint32_t>(std::chrono::steady_clock::now().time_since_epoch().count());
    return QString::fromUtf8(remind::TodaysMessage(store.Files(), programFolder, seed));
}

void TMainForm::ReminderTimerTimer() {
    if (hooks.reminderCheck) hooks.reminderCheck(*this);
}

}  // namespace jb::workspace
