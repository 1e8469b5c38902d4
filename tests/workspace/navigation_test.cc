// The current page: navigation, the page number box, the unsaved-changes prompt, read-only,
// web addresses on Enter, damaged records.

#include <QAction>
#include <QCheckBox>
#include <QDateEdit>
#include <QLineEdit>
#include <QTest>
#include <QTimeEdit>
#include <QTimer>
#include <QToolButton>

#include "remind/qt_dates.h"
#include "store/dataset_paths.h"
#include "workspace/main_form_fixture.h"

namespace jb::test {
namespace {

using workspace::TMainForm;

const QString kUnsaved = "You have not saved the changes (updated) the current record. Do you wish to do so now?";

TEST_F(MainFormTest, NavigationButtonsFollowThePage) {
    MakePages(3);
    TMainForm& f = Start();
    const struct {
        QToolButton* press;
        const char* page;
        bool previousEnabled, nextEnabled;
    } steps[] = {
        {nullptr, "0", false, true},   {f.ButtonUp, "1", true, true},   {f.ButtonUp, "2", true, false},
        {f.ButtonUp, "2", true, false}, {f.ButtonDown, "1", true, true}, {f.ButtonDown, "0", false, true},
        {f.ButtonDown, "0", false, true},
    };
    for (const auto& s : steps) {
        if (s.press) s.press->click();
        EXPECT_EQ(s.page, f.EditRecNum->text());
        EXPECT_EQ(QString("page ") + s.page, EditorText());
        EXPECT_EQ(s.previousEnabled, f.ButtonDown->isEnabled()) << s.page;
        EXPECT_EQ(s.nextEnabled, f.ButtonUp->isEnabled()) << s.page;
        EXPECT_EQ(QString(s.page).toInt(), f.ws.pageNumber);
    }
    EXPECT_EQ("0000000A", f.ws.pageId);
}

TEST_F(MainFormTest, OnePageDisablesBothButtons) {
    MakePages(1);
    TMainForm& f = Start();
    EXPECT_FALSE(f.ButtonUp->isEnabled());
    EXPECT_FALSE(f.ButtonDown->isEnabled());
}

TEST_F(MainFormTest, PageNumberBox) {
    MakePages(9);
    TMainForm& f = Start();
    const struct {
        const char* typed;
        const char* box;
        const char* page;  // editor text afterwards
        bool message;
    } cases[] = {
        {"007", "7", "page 7", false},  {"last", "8", "page 8", false}, {"LAST", "8", "page 8", false},
        // A box that fails its check, or names no page, names the page on screen again.
        {"3", "3", "page 3", false},    {"12a", "3", "page 3", true},   {"42", "3", "page 3", false},
        {"0", "0", "page 0", false},
    };
    for (const auto& c : cases) {
        if (c.message) dialogs.Expect("The page number you have typed is not a valid number");
        f.EditRecNum->setText(c.typed);
        QTest::keyClick(f.EditRecNum, Qt::Key_Return);  // Enter presses Go
        EXPECT_EQ(c.box, f.EditRecNum->text()) << c.typed;
        EXPECT_EQ(c.page, EditorText()) << c.typed;
    }
    EXPECT_EQ(ui::MessageIcon::kError, dialogs.shown.at(0).icon);
    f.EditRecNum->setText("x");
    dialogs.Expect("The page number you have typed is not a valid number");
    f.ButtonUp->click();
    EXPECT_EQ("0", f.EditRecNum->text());
}

TEST_F(MainFormTest, LastOnAnEmptyDataSetFailsThePageNumberCheck) {
    TMainForm& f = Start();
    f.EditRecNum->setText("last");
    dialogs.Expect("The page number you have typed is not a valid number");
    f.GoButton->click();
    EXPECT_EQ("0", f.EditRecNum->text());
}

TEST_F(MainFormTest, UnsavedChangesPromptAnsweredBothWays) {
    MakePages(3);
    WriteSettings("[Remind]\r\nOnNoDateAlready=2\r\n");
    TMainForm& f = Start();
    Type("edited ");
    EXPECT_EQ("Modified", f.PanelText(1));
    EXPECT_TRUE(f.UpdateButton->isEnabled());
    EXPECT_TRUE(f.MMenuExitNoUpdate->isEnabled());

    dialogs.Expect(kUnsaved, ui::kButtonYes);
    f.ButtonUp->click();
    const ui::MessageRequest& asked = dialogs.shown.back();
    EXPECT_EQ("Jotter base", asked.caption);
    EXPECT_EQ(ui::MessageIcon::kQuestion, asked.icon);
    EXPECT_EQ(unsigned{ui::kButtonYes | ui::kButtonNo}, asked.buttons);
    EXPECT_EQ(ui::kButtonYes, asked.defaultButton);
    EXPECT_EQ("edited page 0", StoredText(0));
    EXPECT_EQ("page 1", EditorText());

    Type("dropped ");
    dialogs.Expect(kUnsaved, ui::kButtonNo);
    f.ButtonDown->click();
    EXPECT_EQ("page 1", StoredText(1));
    EXPECT_EQ("edited page 0", EditorText());
    EXPECT_EQ("", f.PanelText(1));
    EXPECT_FALSE(f.UpdateButton->isEnabled());
}

TEST_F(MainFormTest, NoAtTheLastPageKeepsTheTextButNotTheModifiedMark) {
    MakePages(2);
    TMainForm& f = Start();
    f.ButtonUp->click();
    Type("x");
    ASSERT_FALSE(f.ButtonUp->isEnabled());
    dialogs.Expect(kUnsaved, ui::kButtonNo);
    f.MMenuNext->trigger();  // the menu item presses the disabled button all the same
    EXPECT_EQ("xpage 1", EditorText());
    EXPECT_FALSE(f.Modified());
    EXPECT_FALSE(f.ButtonUp->isEnabled());
}

TEST_F(MainFormTest, AutoupdateSettingUpdatesWithoutAsking) {
    MakePages(2);
    WriteSettings("[Database]\r\nAutoupdate=1\r\n[Remind]\r\nOnNoDateAlready=2\r\n");
    TMainForm& f = Start();
    Type("auto ");
    f.ButtonUp->click();
    EXPECT_EQ("auto page 0", StoredText(0));
    EXPECT_TRUE(dialogs.shown.empty());
}

TEST_F(MainFormTest, ReadOnlyRoundTrip) {
    MakePages(2);
    WriteSettings("[Remind]\r\nOnNoDateAlready=2\r\n");
    TMainForm& f = Start();
    f.CheckBoxReadOnly->click();
    EXPECT_TRUE(f.EditBox->isReadOnly());
    EXPECT_TRUE(f.Readonly1->isChecked());
    EXPECT_TRUE(f.Modified());
    f.UpdateButton->click();
    PageInfo info;
    std::string body;
    ASSERT_EQ(0u, store.ReadPageBody(DataSet(), 0, info, body));
    EXPECT_EQ('\xFB', body.back());

    f.ButtonUp->click();
    EXPECT_FALSE(f.CheckBoxReadOnly->isChecked());
    EXPECT_FALSE(f.EditBox->isReadOnly());
    f.ButtonDown->click();
    EXPECT_TRUE(f.CheckBoxReadOnly->isChecked());
    EXPECT_TRUE(f.EditBox->isReadOnly());
    EXPECT_TRUE(f.Readonly1->isChecked());
    EXPECT_FALSE(f.Modified());

    f.Readonly1->trigger();  // the menu item toggles the box
    EXPECT_FALSE(f.CheckBoxReadOnly->isChecked());
    f.UpdateButton->click();
    ASSERT_EQ(0u, store.ReadPageBody(DataSet(), 0, info, body));
    EXPECT_EQ('E', body.back());
}

TEST_F(MainFormTest, ReminderOfAPageIsShownOnTheControls) {
    ASSERT_EQ(0u, store.WritePage(DataSet(), 0, "", false, false, "00000001", "a", 0, 1));
    ASSERT_EQ(0u, store.WritePage(DataSet(), 1, "", false, false, "00000002", "b", 1.0, 1));
    ASSERT_EQ(0u, store.WritePage(DataSet(), 2, "", false, false, "00000003", "c", 1.5, 1));
    // These reminders are long due; the start-up query of due pages is not what this is about.
    form = std::make_unique<TMainForm>(workspace::MainFormSeams{dialogs, clock, desktop, dir.Path()});
    form->hooks.startupReminderQuery = nullptr;
    ASSERT_TRUE(form->FormShow());
    TMainForm& f = *form;
    const struct {
        bool ticked;
        QDate date;
        QTime time;
    } pages[] = {{false, {}, {}}, {false, {}, {}}, {true, QDate(1899, 12, 31), QTime(12, 0)}};
    for (int n = 0; n < 3; ++n) {
        if (n) f.ButtonUp->click();
        EXPECT_EQ(pages[n].ticked, f.CheckBoxRemindMe->isChecked()) << n;
        EXPECT_EQ(pages[n].ticked, f.RemindDate->isEnabled()) << n;
        EXPECT_EQ(pages[n].ticked, f.MMenuRemind->isChecked()) << n;
        if (pages[n].ticked) {
            EXPECT_EQ(pages[n].date, f.RemindDate->date());
            EXPECT_EQ(pages[n].time, f.RemindTime->time());
        }
        EXPECT_FALSE(f.Modified()) << n;
    }
}

TEST_F(MainFormTest, EnterCompletesWebAddresses) {
    TMainForm& f = Start();
    Type("see www.one.org and //www.two.org and WWW.three.org");
    QTest::keyClick(f.EditBox, Qt::Key_Return);
    EXPECT_EQ("see http://www.one.org and //www.two.org and http://WWW.three.org\n", EditorText());
    Type("http://www.four.org");
    QTest::keyClick(f.EditBox, Qt::Key_Return);
    EXPECT_EQ(2, EditorText().count("http://www.")) << "nothing inserted twice";
}

TEST_F(MainFormTest, DamagedPageRecordShowsTheErrorAndTheProgramGoesOn) {
    MakePages(3);
    // Page 1's body claims to run far past the end of the data file.
    std::string header = ReadFileBytes(dir.File("data.hd"));
    header[48 + 39] = '\x7F';
    WriteFileBytes(dir.File("data.hd"), header);
    TMainForm& f = Start();
    dialogs.Expect(QString());  // any text; checked below
    f.ButtonUp->click();
    ASSERT_EQ(1u, dialogs.shown.size());
    EXPECT_EQ(ui::MessageIcon::kError, dialogs.shown[0].icon);
    EXPECT_TRUE(dialogs.shown[0].text.contains("data.jb")) << dialogs.shown[0].text.toStdString();
    f.ButtonUp->click();
    EXPECT_EQ("page 2", EditorText());
}

TEST_F(MainFormTest, AutomaticUpdateReadsThePageAgain) {
    MakePages(2);
    TMainForm& f = Start();
    f.AutomaticUpdate1->trigger();
    EXPECT_TRUE(f.AutoUpdateTimer->isActive());
    EXPECT_EQ(3000, f.AutoUpdateTimer->interval());
    ASSERT_EQ(0u, store.WritePage(DataSet(), 0, "", false, false, "0000000A", "changed elsewhere", 0, 1));
    ASSERT_TRUE(QMetaObject::invokeMethod(f.AutoUpdateTimer, "timeout"));
    EXPECT_EQ("changed elsewhere", EditorText());
    f.AutomaticUpdate1->trigger();
    EXPECT_FALSE(f.AutoUpdateTimer->isActive());
}

}  // namespace
}  // namespace jb::test
