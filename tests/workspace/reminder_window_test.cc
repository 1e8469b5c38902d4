// The reminder check of the main window, its prompt and query, the start-up announcement and
// window flashing, under a fixed clock.

#include <QAction>
#include <QApplication>
#include <QCheckBox>
#include <QCoreApplication>
#include <QLineEdit>
#include <QTest>
#include <QTimeEdit>
#include <QTimer>
#include <QToolBar>
#include <QToolButton>
#include <filesystem>

#include "remind/remind_date_form.h"
#include "richtext/richtext.h"
#include "workspace/main_form_fixture.h"
#include "workspace/system_desktop.h"

namespace jb::test {
namespace {

using workspace::TMainForm;

// 14:30:00 on the fixture's day.
constexpr double kHalfPastTwo = kToday + (14 * 3600.0 + 30 * 60.0) / 86400.0;

class ReminderWindowTest : public MainFormTest {
  protected:
    void WritePages(const std::vector<double>& reminders) {
        for (std::size_t i = 0; i < reminders.size(); ++i) {
            const int n = static_cast<int>(i);
            ASSERT_EQ(0u, store.WritePage(DataSet(), n, "", false, false, PageIdOf(n),
                                          richtext::RtfFromPlainText("page " + std::to_string(n)),
                                          reminders[i], 44000 + n));
        }
    }
    // Starts on the day before, so that the start-up reminder query leaves today's reminders.
    TMainForm& StartTheDayBefore() {
        clock.Set(kNow - 1);
        TMainForm& f = Start();
        EXPECT_FALSE(f.QueryMode());
        return f;
    }
    QString Ticker() const { return QString::fromStdU16String(form->TickerState().Text()); }
};

TEST_F(ReminderWindowTest, TimersHaveTheirIntervalsAndTheCheckRunsFromStart) {
    WritePages({0});
    TMainForm& f = Start();
    EXPECT_EQ(30000, f.ReminderTimer->interval());
    EXPECT_TRUE(f.ReminderTimer->isActive());
    EXPECT_EQ(300, f.FlashTimer->interval());
    EXPECT_FALSE(f.FlashTimer->isActive());
}

TEST_F(ReminderWindowTest, DuePageIsOfferedOnlyInItsTimeSlot) {
    WritePages({0, kHalfPastTwo, kHalfPastTwo + 0.01});
    TMainForm& f = StartTheDayBefore();
    clock.Set(kHalfPastTwo - 20 / 86400.0);
    f.ReminderTimerTimer();
    EXPECT_TRUE(dialogs.shown.empty()) << "14:29:40 is before the slot";
    clock.Set(kHalfPastTwo + 20 / 86400.0);
    dialogs.Expect(
        "Page number 1 is set to remind you now. Do you wish to browse to this page now?",
        ui::kButtonNo);
    f.ReminderTimerTimer();
    ASSERT_TRUE(dialogs.Done());
    const ui::MessageRequest& prompt = dialogs.shown.back();
    EXPECT_EQ("Jotterbase", prompt.caption);
    EXPECT_EQ(ui::MessageIcon::kQuestion, prompt.icon);
    EXPECT_EQ(unsigned(ui::kButtonYes | ui::kButtonNo), prompt.buttons);
    EXPECT_EQ(ui::kButtonYes, prompt.defaultButton);
    EXPECT_TRUE(f.FlashTimer->isActive());
    EXPECT_FALSE(f.QueryMode()) << "No leaves everything as it was";
    EXPECT_EQ("0", f.EditRecNum->text());
}

TEST_F(ReminderWindowTest, PromptNamesTwoThreeAndManyPages) {
    std::vector<double> reminders(36, kHalfPastTwo);
    reminders[0] = 0;
    WritePages(reminders);
    TMainForm& f = StartTheDayBefore();
    clock.Set(kHalfPastTwo);
    std::string list;
    for (int n = 1; n < 35; ++n) list += std::to_string(n) + ", ";
    list += "and 35";
    dialogs.Expect(QString::fromStdString(
                       "Pages number " + list.substr(0, 100) +
                       " are set to remind you now. Do you wish to browse to these pages now?"),
                   ui::kButtonNo);
    f.ReminderTimerTimer();
    EXPECT_TRUE(dialogs.Done());
}

TEST_F(ReminderWindowTest, YesReplacesTheOpenQueryByTheDuePages) {
    WritePages({kHalfPastTwo, 0, kHalfPastTwo, kHalfPastTwo + 1});
    TMainForm& f = StartTheDayBefore();
    f.OpenQuery("page", {PageIdOf(1), PageIdOf(3)}, "page");
    ASSERT_TRUE(f.QueryMode());
    clock.Set(kHalfPastTwo + 40 / 86400.0);
    dialogs.Expect(
        "Pages number 0 and 2 are set to remind you now. Do you wish to browse to these pages now?",
        ui::kButtonYes);
    f.ReminderTimerTimer();
    ASSERT_EQ(3u, f.QueryList.size());
    EXPECT_EQ("Reminders for: " + f.ShortDate(kToday) + " 14:30:40",
              QString::fromStdString(f.QueryList[0]));
    EXPECT_EQ(PageIdOf(0), f.QueryList[1]);
    EXPECT_EQ(PageIdOf(2), f.QueryList[2]);
    EXPECT_TRUE(f.NoHighlight);
    EXPECT_EQ(1, f.QueryPos);
    EXPECT_EQ("0", f.EditRecNum->text());
    EXPECT_EQ("page 0", EditorText());
    EXPECT_TRUE(f.QueryMode());
    EXPECT_TRUE(f.ButtonUp->isEnabled());
    EXPECT_FALSE(f.ButtonDown->isEnabled());
    f.ButtonUp->click();
    EXPECT_EQ("page 2", EditorText());
}

TEST_F(ReminderWindowTest, YesWithOneDuePageOpensAQueryWithoutBrowsing) {
    WritePages({0, 0, kHalfPastTwo});
    TMainForm& f = StartTheDayBefore();
    ASSERT_FALSE(f.QueryMode());
    clock.Set(kHalfPastTwo);
    dialogs.Expect({}, ui::kButtonYes);
    f.ReminderTimerTimer();
    ASSERT_TRUE(f.QueryMode());
    EXPECT_EQ((std::vector<std::string>{PageIdOf(2)}),
              std::vector<std::string>(f.QueryList.begin() + 1, f.QueryList.end()));
    EXPECT_EQ("page 2", EditorText());
    EXPECT_FALSE(f.ButtonUp->isEnabled());
    EXPECT_FALSE(f.ButtonDown->isEnabled());
}

TEST_F(ReminderWindowTest, CheckWithoutHeaderFileSaysNothing) {
    TMainForm& f = Start();
    clock.Set(kHalfPastTwo);
    f.ReminderTimerTimer();
    EXPECT_TRUE(dialogs.shown.empty());
    EXPECT_FALSE(f.FlashTimer->isActive());
}

TEST_F(ReminderWindowTest, StartUpAnnouncesOneDuePage) {
    WritePages({0, kToday - 2 + 0.3, kToday + 3});
    TMainForm& f = Start();
    ASSERT_TRUE(f.QueryMode());
    EXPECT_EQ(" ... REMINDER! Today's Page to note is: 1 ...", Ticker());
    EXPECT_TRUE(f.Timer->isActive());
    EXPECT_TRUE(f.isMaximized());
    EXPECT_TRUE(f.FlashTimer->isActive());
    EXPECT_TRUE(desktop.calls.empty()) << "no sound file in the program folder";
}

TEST_F(ReminderWindowTest, StartUpAnnouncesThreeDuePagesInQueryOrder) {
    WritePages({kToday - 1, 0, kToday - 3, kToday + 0.2, kToday + 4});
    Start();
    EXPECT_EQ(" ... REMINDER! Today's Pages to note are: 3,0, and 2 ...", Ticker());
}

TEST_F(ReminderWindowTest, SoundPlaysOnlyWhenItsFileExistsAndPlaySoundIsOn) {
    struct Case {
        const char* what;
        const char* settings;
        bool makeFile;
        bool plays;
        bool bareName = false;  // the settings name the file without its folder
    } const cases[] = {
        {"file present, sound on", "[Remind]\r\nPlaySound=1\r\nSoundFile=%1\r\n", true, true},
        {"file missing", "[Remind]\r\nPlaySound=1\r\nSoundFile=%1\r\n", false, false},
        {"sound off", "[Remind]\r\nPlaySound=0\r\nSoundFile=%1\r\n", true, false},
        {"nosound", "[Remind]\r\nPlaySound=1\r\nSoundFile=nosound\r\n", true, false},
        // The program folder's file, wherever the program was started from.
        {"bare name", "[Remind]\r\nPlaySound=1\r\nSoundFile=%1\r\n", true, true, true},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        desktop.calls.clear();
        const std::string wav = dir.File("bell.wav");
        std::filesystem::remove(wav);
        if (c.makeFile) WriteFileBytes(wav, "RIFF");
        WritePages({kToday});
        WriteSettings(QString(c.settings)
                          .arg(c.bareName ? "bell.wav" : QString::fromStdString(wav))
                          .toStdString());
        Start();
        const std::vector<QString> expected =
            c.plays ? std::vector<QString>{"sound " + QString::fromStdString(wav)}
                    : std::vector<QString>{};
        EXPECT_EQ(expected, desktop.calls);
        form->SetModified(false);
        form.reset();
    }
}

TEST_F(ReminderWindowTest, FlashingStopsOnAClickOrWhenTheWindowIsActive) {
    WritePages({kToday});
    TMainForm& f = Start();
    ASSERT_TRUE(f.FlashTimer->isActive());
    if (!f.isActiveWindow()) {
        f.FlashTimerTimer();
        EXPECT_TRUE(f.FlashInverted());
        f.FlashTimerTimer();
        EXPECT_FALSE(f.FlashInverted());
        EXPECT_TRUE(f.FlashTimer->isActive());
    }
    f.FlashTimerTimer();
    f.FormClick();
    EXPECT_FALSE(f.FlashTimer->isActive());
    EXPECT_FALSE(f.FlashInverted());
}

}  // namespace
}  // namespace jb::test

namespace jb::test {
namespace {

// Each row: the keys typed into a reminder time box, tabbed into, and the time they give; in the
// window's box and in the reminder-date dialog's.
// Types `text` key by key, with Shift pressed and let go around a ":", as a keyboard sends it.
void TypeAsAKeyboardDoes(QWidget* widget, const QString& text) {
    for (const QChar c : text) {
        if (c == ':') {
            QTest::keyPress(widget, Qt::Key_Shift);
            QTest::keyClick(widget, ':', Qt::ShiftModifier);
            QTest::keyRelease(widget, Qt::Key_Shift, Qt::ShiftModifier);
        } else {
            QTest::keyClick(widget, c.toLatin1());
        }
    }
}

TEST_F(ReminderWindowTest, ATimeTypedIntoATimeBoxIsTheTimeTyped) {
    const struct {
        const char* typed;
        QTime time;
    } rows[] = {{"09:12:00", QTime(9, 12, 0)}, {"23:59:58", QTime(23, 59, 58)},
                {"091200", QTime(9, 12, 0)},   {"18:05:30", QTime(18, 5, 30)},
                {"7:45:00", QTime(7, 45, 0)},  {"00:00:09", QTime(0, 0, 9)}};
    WritePages({0});
    TMainForm& f = Start();
    f.CheckBoxRemindMe->click();
    remind::TGetRemindDateForm dialog(&f);
    dialog.Propose(kToday);
    dialog.show();
    for (QTimeEdit* box : {f.RemindTime, dialog.RTime}) {
        SCOPED_TRACE(box->objectName().toStdString());
        box->window()->activateWindow();
        ASSERT_TRUE(
            QTest::qWaitFor([box] { return QApplication::activeWindow() == box->window(); }));
        for (const auto& r : rows) {
            for (const bool clicked : {false, true}) {
                box->setTime(QTime(0, 0));
                box->clearFocus();
                if (clicked)  // into the hours, between their two digits
                    QTest::mouseClick(box->findChild<QLineEdit*>(), Qt::LeftButton, {},
                                      QPoint(box->fontMetrics().horizontalAdvance("0") + 3, box->height() / 2));
                else
                    box->setFocus(Qt::TabFocusReason);
                QApplication::processEvents();
                TypeAsAKeyboardDoes(box, r.typed);
                EXPECT_EQ(r.time, box->time()) << r.typed << (clicked ? " after a click" : " after Tab");
            }
        }
    }
}

TEST(SystemDesktopSound, SoundsThatCannotPlayAreSilent) {
    EnsureApplication();
    TempDir dir;
    const std::string notSound = dir.File("not-a-sound.wav");
    WriteFileBytes(notSound, "this is not a wave file");
    ui::SystemDesktop desktop;
    desktop.PlaySound(QString::fromStdString(dir.File("missing.wav")));
    desktop.PlaySound(QString::fromStdString(notSound));
    desktop.PlaySound(QString::fromStdString(notSound));
    // The program's own sound, on a machine that may have no audio device.
    desktop.PlaySound(JB_SOURCE_DIR_AT_BUILD "/assets/remind.wav");
    QCoreApplication::processEvents();
    SUCCEED() << "neither a missing nor a broken file nor a missing device stops the program";
}

}  // namespace
}  // namespace jb::test
