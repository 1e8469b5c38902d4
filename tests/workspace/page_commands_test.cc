// Add, Update and Zap; the no-reminder prompt; the status ticker.

#include <QAction>
#include <QCheckBox>
#include <QDateEdit>
#include <QLineEdit>
#include <QTest>
#include <QTimeEdit>
#include <QTimer>
#include <QToolButton>
#include <cstdlib>
#include <filesystem>

#include "remind/qt_dates.h"
#include "store/dataset_lock.h"
#include "store/dataset_paths.h"
#include "transfer/outside_tools.h"
#include "richtext/richtext.h"
#include "workspace/main_form_fixture.h"

namespace jb::test {
namespace {

using workspace::TMainForm;

const QString kNoReminder = "This page has no reminder-date set. Do you wish to add one?";
const QString kRemove = "Are you sure you wish to remove this page from the database?";

TEST_F(MainFormTest, AddStartsAPageThatExistsOnlyAfterUpdate) {
    MakePages(5);
    WriteSettings("[Remind]\r\nOnNoDateAlready=2\r\n[Template]\r\nDef=none\r\n");
    TMainForm& f = Start();
    f.ButtonUp->click();
    const std::string headerBefore = ReadFileBytes(dir.File("data.hd"));
    f.AddButton->click();
    EXPECT_EQ("5", f.EditRecNum->text());
    EXPECT_EQ("", EditorText());
    EXPECT_EQ("", QString::fromStdString(f.ws.pageId));
    EXPECT_FALSE(f.ButtonUp->isEnabled());
    EXPECT_TRUE(f.ButtonDown->isEnabled());
    EXPECT_FALSE(f.Modified());
    EXPECT_FALSE(f.CheckBoxRemindMe->isChecked());
    EXPECT_EQ("Created: " + f.ShortDate(kToday), f.PanelText(2));
    EXPECT_EQ("None", QString::fromStdString(f.settings.templateDef));
    EXPECT_EQ(headerBefore, ReadFileBytes(dir.File("data.hd"))) << "nothing written by Add";

    Type("a brand new page");
    f.MMenuUpdate->trigger();
    ASSERT_EQ(6, PageCount());
    PageInfo info;
    EXPECT_EQ("a brand new page", StoredText(5, &info));
    EXPECT_EQ(f.ws.pageId, info.id);
    EXPECT_EQ(kToday, info.created);
    EXPECT_EQ(0.0, info.reminder);
    EXPECT_FALSE(f.Modified());
    EXPECT_TRUE(f.indexList.Loaded());
    EXPECT_TRUE(f.indexList.Entries().Contains("brand=" + f.ws.pageId));
    EXPECT_TRUE(f.indexList.Entries().Contains("new=" + f.ws.pageId));
    EXPECT_FALSE(f.indexList.Entries().Contains("a=" + f.ws.pageId)) << "words of one or two letters are not indexed";
    EXPECT_EQ("6", QString::number(PageCount()));
}

TEST_F(MainFormTest, AddLoadsTheTemplateOfTheSettings) {
    WriteFileBytes(dir.File("normal.tp"), richtext::RtfFromPlainText("Dear diary"));
    TMainForm& f = Start();
    f.AddButton->click();
    EXPECT_EQ("Dear diary", EditorText());
    EXPECT_FALSE(f.Modified());
}

TEST_F(MainFormTest, TheShippedTemplateStartsAnEmptyPageWithoutAQuestion) {
    // A new program folder holds the default files the build lays out.
    const std::string shipped = std::string(JB_PROGRAM_DIR_DEFAULT) + "/normal.tp";
    ASSERT_TRUE(std::filesystem::exists(shipped)) << shipped;
    std::filesystem::copy_file(shipped, dir.File("normal.tp"));
    TMainForm& f = Start();
    f.AddButton->click();  // any message would fail the test
    EXPECT_EQ("", EditorText());
    EXPECT_FALSE(f.Modified());
    EXPECT_EQ("Arial", f.EditBox->currentCharFormat().font().family());
    Type("x");
    EXPECT_EQ("x", EditorText()) << "the template leaves no empty line behind";
}

TEST_F(MainFormTest, TitleFollowsThePageCountAsUpdateAppendsPages) {
    WriteSettings("[Remind]\r\nOnNoDateAlready=2\r\n[Template]\r\nDef=none\r\n");
    TMainForm& f = Start();
    EXPECT_EQ("Quorvane Jotterbase - data.jb (0 pages)", f.windowTitle());
    Type("first");
    f.UpdateButton->click();
    EXPECT_EQ("Quorvane Jotterbase - data.jb (1 pages)", f.windowTitle());
    f.AddButton->click();
    Type("second");
    f.MMenuUpdate->trigger();
    EXPECT_EQ("Quorvane Jotterbase - data.jb (2 pages)", f.windowTitle());
    Type("again ");
    f.UpdateButton->click();
    EXPECT_EQ("Quorvane Jotterbase - data.jb (2 pages)", f.windowTitle()) << "an update in place adds no page";
}

TEST_F(MainFormTest, AddWithAMissingTemplateStartsEmptyAndNamesTheFile) {
    MakePages(1);
    TMainForm& f = Start();
    dialogs.Expect(QString("The template file %1 does not exist.").arg(QString::fromStdString(dir.File("normal.tp"))));
    f.AddButton->click();
    EXPECT_EQ("", EditorText());
    EXPECT_EQ("1", f.EditRecNum->text());
    EXPECT_EQ(ui::MessageIcon::kError, dialogs.shown.back().icon);
}

TEST_F(MainFormTest, NewPageReminderDefault) {
    WriteSettings("[Remind]\r\n?=1\r\nHowFarDef=10\r\n[Template]\r\nDef=None\r\n");
    TMainForm& f = Start();
    f.AddButton->click();
    EXPECT_TRUE(f.CheckBoxRemindMe->isChecked());
    EXPECT_TRUE(f.RemindDate->isEnabled());
    EXPECT_EQ(kToday + 10, remind::DaysOfDate(f.RemindDate->date()));
}

TEST_F(MainFormTest, UpdateOfAnEmptyPageAddsNothingToTheIndex) {
    WriteSettings("[Template]\r\nDef=None\r\n");
    TMainForm& f = Start();
    f.SetModified(true);
    f.UpdateButton->click();
    EXPECT_EQ(1, PageCount());
    EXPECT_EQ(0u, f.indexList.Entries().Size());
    EXPECT_TRUE(dialogs.shown.empty()) << "no reminder question without text";
}

TEST_F(MainFormTest, NoReminderPromptFollowsOnNoDateAlready) {
    const double chosen = 45123 + 9.25 / 24;  // 09:15
    const struct {
        const char* setting;
        bool asks;
        ui::MessageButton byDefault;
        ui::MessageButton answer;
        std::optional<double> dialog;
        double stored;
    } cases[] = {
        {"0", true, ui::kButtonYes, ui::kButtonYes, chosen, chosen},
        {"1", true, ui::kButtonNo, ui::kButtonYes, std::nullopt, 0},  // dialog cancelled
        {"1", true, ui::kButtonNo, ui::kButtonNo, std::nullopt, 0},
        {"2", false, ui::kButtonNone, ui::kButtonNone, std::nullopt, 0},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.setting);
        std::filesystem::remove(dir.File("data.hd"));
        std::filesystem::remove(dir.File("data.jb"));
        WriteSettings(std::string("[Remind]\r\nOnNoDateAlready=") + c.setting + "\r\n[Template]\r\nDef=None\r\n");
        TMainForm& f = Start();
        Type("some text");
        if (c.asks) dialogs.Expect(kNoReminder, c.answer);
        const bool dialogShown = c.asks && c.answer == ui::kButtonYes;
        if (dialogShown) dialogs.ExpectRemindDate(c.dialog);
        const std::size_t before = dialogs.shown.size();
        f.UpdateButton->click();
        if (c.asks) {
            const ui::MessageRequest& asked = dialogs.shown.at(before);
            EXPECT_EQ(c.byDefault, asked.defaultButton);
            EXPECT_EQ(ui::MessageIcon::kQuestion, asked.icon);
            EXPECT_EQ("Jotterbase", asked.caption);
        }
        if (dialogShown) {
            EXPECT_EQ(kToday + 7, dialogs.proposedDates.back());
        }
        PageInfo info;
        StoredText(0, &info);
        EXPECT_NEAR(c.stored, info.reminder, 1e-6);
        EXPECT_EQ(c.stored != 0, f.CheckBoxRemindMe->isChecked());
        if (c.stored != 0) {
            EXPECT_EQ(remind::DateOfDays(45123), f.RemindDate->date());
            EXPECT_EQ(QTime(9, 15), f.RemindTime->time());
        }
        form.reset();
    }
}

TEST_F(MainFormTest, ReminderBoxProposesTheDefaultDateAndKeepsMidnight) {
    MakePages(1);
    WriteSettings("[Remind]\r\nOnNoDateAlready=2\r\n");
    TMainForm& f = Start();
    f.CheckBoxRemindMe->click();
    EXPECT_TRUE(f.Modified());
    EXPECT_TRUE(f.MMenuRemind->isChecked());
    EXPECT_EQ(kToday + 7, remind::DaysOfDate(f.RemindDate->date()));
    f.RemindTime->setTime(QTime(14, 30));
    f.UpdateButton->click();
    PageInfo info;
    StoredText(0, &info);
    EXPECT_NEAR(kToday + 7 + 14.5 / 24, info.reminder, 1e-6);
    f.MMenuRemind->trigger();  // off: both pickers to zero
    EXPECT_FALSE(f.CheckBoxRemindMe->isChecked());
    EXPECT_EQ(QTime(0, 0), f.RemindTime->time());
    f.CheckBoxRemindMe->click();
    EXPECT_EQ(QTime(0, 0), f.RemindTime->time());
    EXPECT_EQ(kToday + 7, remind::DaysOfDate(f.RemindDate->date()));
}

struct ZapCase {
    int pages;
    int zapped;
    int shownAfter;
    const char* textAfter;
};

TEST_F(MainFormTest, ZapMovesThePageToTheDeletedPagesAndShowsANeighbour) {
    const ZapCase cases[] = {{3, 0, 0, "page 1"}, {5, 3, 2, "page 2"}, {2, 1, 0, "page 0"}};
    for (const ZapCase& c : cases) {
        SCOPED_TRACE(c.zapped);
        for (const char* f : {"data.jb", "data.hd", "%data.jb", "%data.hd"}) std::filesystem::remove(dir.File(f));
        MakePages(c.pages);
        WriteSettings("[BrowseTo]\r\nPageNum=" + std::to_string(c.zapped) + "\r\n");
        TMainForm& f = Start();
        const std::string id = f.ws.pageId;
        dialogs.Expect(kRemove, ui::kButtonYes);
        f.ZapButton->click();
        EXPECT_EQ(ui::kButtonNo, dialogs.shown.back().defaultButton);
        EXPECT_EQ(c.pages - 1, PageCount());
        EXPECT_EQ(QString::number(c.shownAfter), f.EditRecNum->text());
        EXPECT_EQ(c.textAfter, EditorText());
        EXPECT_EQ(QString("Quorvane Jotterbase - data.jb (%1 pages)").arg(c.pages - 1), f.windowTitle());
        const std::string deleted = dir.File("%data.jb");
        ASSERT_EQ(1, PageCount(deleted));
        PageInfo info;
        EXPECT_EQ("page " + std::to_string(c.zapped), StoredText(0, &info, deleted));
        EXPECT_EQ(id, info.id);
        EXPECT_EQ(44000 + c.zapped, info.created);
        EXPECT_EQ(-2, store.FindPageById(DataSet(), id));
        EXPECT_FALSE(f.Modified());
        form.reset();
    }
}

TEST_F(MainFormTest, ZapAnsweredNoChangesNothingAndZapOfTheOnlyPageLeavesNone) {
    MakePages(1);
    TMainForm& f = Start();
    const std::string header = ReadFileBytes(dir.File("data.hd"));
    dialogs.Expect(kRemove, ui::kButtonNo);
    f.MMenuZap->trigger();
    EXPECT_EQ(header, ReadFileBytes(dir.File("data.hd")));
    dialogs.Expect(kRemove, ui::kButtonYes);
    f.ZapButton->click();
    EXPECT_EQ(0, PageCount());
    EXPECT_EQ("", EditorText());
    EXPECT_FALSE(f.ButtonUp->isEnabled());
    EXPECT_EQ("Quorvane Jotterbase - data.jb (0 pages)", f.windowTitle());
}

TEST_F(MainFormTest, TickerTypesOneCharacterPerTick) {
    TMainForm& f = Start();
    f.SetPanelText(4, "old");
    f.StartTicker(" 3 pages in query", true, false);
    EXPECT_EQ("", f.PanelText(4));
    EXPECT_TRUE(f.Timer->isActive());
    EXPECT_EQ(1, f.Timer->interval());
    f.TimerTimer();
    f.TimerTimer();
    EXPECT_EQ(" 3", f.PanelText(4));
    QTRY_VERIFY_WITH_TIMEOUT(!f.Timer->isActive(), 5000);  // the real timer finishes it
    EXPECT_EQ(" 3 pages in query", f.PanelText(4));
    EXPECT_EQ(0, f.TickerState().Position());
}

}  // namespace
}  // namespace jb::test

namespace jb::test {
namespace {

// Another program adds a page while the window's new page is still being typed: Update makes
// the window's page the next one after it, and neither page is lost.
TEST_F(MainFormTest, ANewPageGoesAfterAPageAnotherProgramAddedMeanwhile) {
    WriteSettings("[Remind]\r\nOnNoDateAlready=2\r\n[Template]\r\nDef=none\r\n");
    MakePages(2);
    workspace::TMainForm& f = Start();
    f.AddButton->click();
    ASSERT_EQ(2, f.ws.pageNumber);
    Type("typed in the window");
    ASSERT_EQ(0u, store.WritePage(DataSet(), 2, "", false, false, "0000FFFF", "{\\rtf1 added elsewhere\\par}", 0, 1));
    f.UpdateButton->click();
    EXPECT_EQ(4, PageCount());
    EXPECT_EQ("added elsewhere", StoredText(2));
    EXPECT_EQ("typed in the window", StoredText(3));
    EXPECT_EQ(3, f.ws.pageNumber);
    EXPECT_EQ("3", f.EditRecNum->text().toStdString());
    f.EditBox->moveCursor(QTextCursor::End);
    Type(" again");
    f.UpdateButton->click();
    EXPECT_EQ(4, PageCount()) << "the next Update writes the same page again";
    EXPECT_EQ("typed in the window again", StoredText(3));
}

// Another program removes a page while the window shows a later one: Update writes the shown
// page where it is now, not over the page that moved into its old number.
TEST_F(MainFormTest, AnUpdateWritesTheShownPageWhereAnotherProgramMovedIt) {
    const struct {
        const char* name;
        int removed;           // the page another program removes
        int writtenAt;         // where the shown page 2 is written
        std::vector<std::string> texts;
    } cases[] = {
        {"an earlier page removed", 0, 1, {"page 1", "page 2 edited", "page 3"}},
        {"the shown page itself removed", 2, 3, {"page 0", "page 1", "page 3", "page 2 edited"}},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        form.reset();
        std::filesystem::remove(DataSet());
        std::filesystem::remove(CompanionPath(DataSet(), ".hd"));
        WriteSettings("[Remind]\r\nOnNoDateAlready=2\r\n[Template]\r\nDef=none\r\n");
        MakePages(4);
        workspace::TMainForm& f = Start();
        f.EditRecNum->setText("2");
        QTest::keyClick(f.EditRecNum, Qt::Key_Return);
        ASSERT_EQ(2, f.ws.pageNumber);
        f.EditBox->moveCursor(QTextCursor::End);
        Type(" edited");
        // What jotterbase-cli zap does to the data set.
        ASSERT_EQ(0u, store.WritePage(DataSet(), c.removed, "", true, false, PageIdOf(c.removed), "", 0, 1));
        ASSERT_EQ(0u, store.PurgeDeletedHeaders(DataSet()));
        f.UpdateButton->click();
        std::vector<std::string> texts;
        for (int n = 0; n < PageCount(); ++n) texts.push_back(StoredText(n));
        EXPECT_EQ(c.texts, texts);
        EXPECT_EQ(PageIdOf(2), store.PageIdAt(DataSet(), c.writtenAt));
        EXPECT_EQ(c.writtenAt, f.ws.pageNumber);
        EXPECT_EQ(std::to_string(c.writtenAt), f.EditRecNum->text().toStdString());
    }
}

}  // namespace
}  // namespace jb::test

namespace jb::test {
namespace {

// Another program holds the data set longer than a writer waits: Update says so, nothing is
// written, and the page stays modified, so that its changes are not dropped by leaving it.
TEST_F(MainFormTest, UpdateWhileAnotherProgramHoldsTheDataSetKeepsThePageModified) {
    WriteSettings("[Remind]\r\nOnNoDateAlready=2\r\n[Template]\r\nDef=none\r\n");
    MakePages(1);
    workspace::TMainForm& f = Start();
    f.EditBox->moveCursor(QTextCursor::End);
    Type(" edited");
    // util-linux flock holds the lock file as a second program would, for longer than 5 s.
    const std::string held = dir.File("held");
    ASSERT_EQ(0, std::system(("(flock -x '" + LockFilePath(DataSet()) + "' -c 'touch " + held +
                              "; sleep 7') >/dev/null 2>&1 &").c_str()));
    for (int i = 0; i < 100 && !FileExists(held); ++i) QTest::qWait(20);
    ASSERT_TRUE(FileExists(held));
    dialogs.Expect(QString());  // the general error: another program is writing the data set
    f.UpdateButton->click();
    EXPECT_TRUE(dialogs.shown.back().text.contains("Another program is writing this data set"))
        << dialogs.shown.back().text.toStdString();
    EXPECT_EQ("page 0", StoredText(0)) << "nothing was written";
    EXPECT_TRUE(f.Modified()) << "the changes are still the user's to keep";
    // Once the other program is done, Update stores the page.
    std::system(("flock -x '" + LockFilePath(DataSet()) + "' true").c_str());
    f.UpdateButton->click();
    EXPECT_EQ("page 0 edited", StoredText(0));
    EXPECT_FALSE(f.Modified());
}

}  // namespace
}  // namespace jb::test

namespace jb::test {
namespace {

// jotterbase-cli adds a page while the window holds its index list: the window's save at close
// keeps the entries the CLI wrote, as well as its own.
TEST_F(MainFormTest, ClosingKeepsIndexEntriesAnotherProgramAddedMeanwhile) {
    WriteSettings("[Remind]\r\nOnNoDateAlready=2\r\n[Template]\r\nDef=none\r\n");
    MakePages(1);
    workspace::TMainForm& f = Start();
    ASSERT_TRUE(f.indexList.Loaded());
    const std::string added =
        CommandOutput("echo 'walrus from elsewhere' | " + std::string(JB_CLI_PATH) + " add --data " + DataSet() + " 2>&1");
    ASSERT_EQ(0u, added.find("1\t")) << added;
    const std::string id = added.substr(2, 8);
    f.AddButton->click();
    Type("carpenter typed here");
    f.UpdateButton->click();
    form->close();
    const std::string index = ReadFileBytes(dir.File("data.idx"));
    EXPECT_NE(std::string::npos, index.find("walrus=" + id)) << "the other program's entries stay";
    EXPECT_NE(std::string::npos, index.find("carpenter=")) << "the window's own entries are written";
}

}  // namespace
}  // namespace jb::test
