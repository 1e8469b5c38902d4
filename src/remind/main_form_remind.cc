// The main window's reminder controls, the status ticker, the message of the day, the reminder
// check, the start-up announcement and window flashing. Built with the window (these are
// TMainForm members).

#include <QAction>
#include <QCheckBox>
#include <QDateEdit>
#include <QFileInfo>
#include <QLineEdit>
#include <QMouseEvent>
#include <QTimeEdit>
#include <QTimer>
#include <QToolBar>
#include <QToolButton>
#include <chrono>
#include <unordered_map>

#include "remind/daily_message.h"
#include "remind/qt_dates.h"
#include "remind/reminder_check.h"
#include "remind/reminder_value.h"
#include "store/dates.h"
#include "store/io_error.h"
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
        // The pickers of the page shown before would otherwise stay on screen.
        SetRemindDateValue(0);
        SetRemindTimeValue(0);
    }
}

double TMainForm::StoredReminderValue() {
    if (!CheckBoxRemindMe->isChecked()) SetRemindDateValue(0);
    return remind::StoredReminder(CheckBoxRemindMe->isChecked(), RemindDateValue(),
                                  RemindTimeValue());
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
    const ui::MessageButton byDefault =
        settings.onNoDateAlready == 0 ? ui::kButtonYes : ui::kButtonNo;
    if (!ui::AskYesNo(dialogs, this, "This page has no reminder-date set. Do you wish to add one?",
                      byDefault))
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
    const auto seed =
        static_cast<std::uint32_t>(clock.Now() * 86400000.0) ^
        static_cast<std::uint32_t>(std::chrono::steady_clock::now().time_since_epoch().count());
    return QString::fromUtf8(remind::TodaysMessage(store.Files(), programFolder, seed));
}

void TMainForm::ReminderTimerTimer() {
    if (hooks.reminderCheck) hooks.reminderCheck(*this);
}

void TMainForm::BuildReminders() {
    connect(FlashTimer, &QTimer::timeout, this,
            [this] { RunGuarded([this] { FlashTimerTimer(); }); });
    hooks.reminderCheck = [](TMainForm& f) { f.ReminderCheck(); };
    hooks.announceReminders = [](TMainForm& f) { f.AnnounceReminders(); };
}

namespace {

QString LongTime(double value) {
    const TimeOfDay t = TimeFromDate(value);
    return QString::asprintf("%02d:%02d:%02d", t.hour, t.minute, t.second);
}

}  // namespace

void TMainForm::ReminderCheck() {
    const double now = clock.Now();
    std::vector<int> due;
    try {
        due = remind::DuePages(store.ReadAllHeaders(ws.dataSet), now);
    } catch (const IoError&) {
        return;  // a header file that cannot be read holds no due page
    }
    if (due.empty()) return;
    FlashTimer->start();
    if (!ui::AskYesNo(dialogs, this, QString::fromStdString(remind::ReminderPromptText(due)),
                      ui::kButtonYes))
        return;
    // The page on screen is settled before the due pages take its place; one that could not be
    // written stays on screen.
    if (!CheckUnsavedChanges()) return;
    SetModified(false);
    QueryList.clear();
    QueryList.push_back(("Reminders for: " + ShortDate(now) + " " + LongTime(now)).toStdString());
    for (int n : due) QueryList.push_back(store.PageIdAt(ws.dataSet, n));
    NoHighlight = true;
    QueryPos = 1;
    ButtonUp->setEnabled(due.size() > 1);
    ButtonDown->setEnabled(false);
    SetQueryMode(true);
    EditRecNum->setText(QString::number(due.front()));
    GoButton->click();
    // Go set the buttons for page numbers; in the query they move through the due pages.
    ButtonUp->setEnabled(due.size() > 1);
    ButtonDown->setEnabled(false);
}

void TMainForm::AnnounceReminders() {
    if (QueryList.size() < 2) return;
    // The page numbers of the query's IDs from one read of the header file (first page wins;
    // -2 for none). Only the query's few IDs are looked up, not the million a data set may hold.
    std::unordered_map<std::string_view, int> pageOfId;
    for (std::size_t i = 1; i < QueryList.size(); ++i) pageOfId.emplace(QueryList[i], -2);
    const std::vector<HeaderRecord> headers = store.ReadAllHeaders(ws.dataSet);
    for (std::size_t n = 0; n < headers.size(); ++n) {
        const auto it = pageOfId.find(headers[n].IdView());
        if (it != pageOfId.end() && it->second == -2) it->second = static_cast<int>(n);
    }
    std::vector<int> pages;
    for (std::size_t i = 1; i < QueryList.size(); ++i) pages.push_back(pageOfId.at(QueryList[i]));
    StartTicker(QString::fromStdString(remind::ReminderBanner(pages)), false, pages.size() == 1);
    const std::string& sound = settings.soundFile;
    if (!sound.empty() && sound != kNoSound) {
        // A bare name is the program folder's file, as the options dialog checked it.
        const QString file =
            QString::fromLocal8Bit(PathInProgramFolder(programFolder, sound).c_str());
        if (QFileInfo(file).isFile()) desktop.PlaySound(QFileInfo(file).absoluteFilePath());
    }
    showMaximized();
    FlashTimer->start();
}

void TMainForm::FlashTimerTimer() {
    if (isActiveWindow()) {
        flashInverted_ = false;
        FlashTimer->stop();
        return;
    }
    flashInverted_ = !flashInverted_;
    if (flashInverted_) desktop.AlertWindow(this);
}

void TMainForm::FormClick() {
    FlashTimer->stop();
    flashInverted_ = false;
}

void TMainForm::mousePressEvent(QMouseEvent* event) {
    RunGuarded([this] { FormClick(); });
    QMainWindow::mousePressEvent(event);
}

}  // namespace jb::workspace
