// Start-up and close of the main window.

#include <QAction>
#include <QApplication>
#include <QCheckBox>
#include <QDateEdit>
#include <QDir>
#include <QLabel>
#include <QScreen>
#include <QStatusBar>
#include <QLineEdit>
#include <QMenu>
#include <QTimer>
#include <QToolBar>
#include <QToolButton>

#include "datasets/rename_data_set.h"
#include "remind/qt_dates.h"
#include "support/faulty_file_system.h"
#include "workspace/main_form_fixture.h"

namespace jb::test {
namespace {

using workspace::TMainForm;

TEST_F(MainFormTest, FirstStartInAnEmptyProgramFolderShowsAnEmptyPageZero) {
    TMainForm& f = Start();
    EXPECT_EQ(QStringList{}, QDir(QString::fromStdString(dir.Path())).entryList(QDir::Files)) << "nothing created";
    EXPECT_EQ("Quorvane Jotterbase - data.jb (0 pages)", f.windowTitle());
    EXPECT_EQ("", EditorText());
    EXPECT_EQ("0", f.EditRecNum->text());
    EXPECT_FALSE(f.ButtonUp->isEnabled());
    EXPECT_FALSE(f.ButtonDown->isEnabled());
    EXPECT_FALSE(f.UpdateButton->isEnabled());
    EXPECT_EQ(kToday, f.ws.created);
    EXPECT_EQ(kToday, f.ws.modified);
    EXPECT_EQ(kToday + 7, remind::DaysOfDate(f.RemindDate->date()));
    EXPECT_EQ(QPoint(1, 140), f.pos());
    EXPECT_EQ(QSize(638, 312), f.size());
    EXPECT_TRUE(f.ToolBarQuery->isHidden());
    EXPECT_FALSE(f.QueryMenu->menuAction()->isVisible());
    EXPECT_TRUE(f.ReminderTimer->isActive());
    EXPECT_FALSE(f.Timer->isActive()) << "no message of the day without a data set";
}

TEST_F(MainFormTest, WidgetsCarryTheirComponentNamesAndCaptions) {
    TMainForm& f = Start();
    const struct {
        const char* name;
        QString text;
    } buttons[] = {{"GoButton", "&Go"},       {"AddButton", "&Add"}, {"UpdateButton", "&Update"},
                   {"ZapButton", "&Zap"},     {"FindButton", "Adv. &Find"}};
    for (const auto& b : buttons) {
        auto* w = f.findChild<QToolButton*>(b.name);
        ASSERT_NE(nullptr, w) << b.name;
        EXPECT_EQ(b.text, w->text()) << b.name;
    }
    EXPECT_EQ("Find next page", f.findChild<QToolButton*>("ButtonUp")->toolTip());
    EXPECT_EQ("Update This record", f.UpdateButton->toolTip());
    EXPECT_EQ("Remind &me:", f.findChild<QCheckBox*>("CheckBoxRemindMe")->text());
    EXPECT_NE(nullptr, f.findChild<QWidget*>("EditBox"));
    EXPECT_NE(nullptr, f.findChild<QLineEdit*>("EditRecNum"));
    const struct {
        const char* name;
        const char* text;
        const char* key;
    } actions[] = {
        {"MMenuAdd", "&Add Page", "Ctrl+A"},       {"MMenuUpdate", "&Update", "Ctrl+S"},
        {"MMenuZap", "&Delete Page", "Ctrl+D"},    {"MMenuNext", "&Next Page", "Shift+F10"},
        {"MMenuPrevious", "&Previous Page", "Shift+F9"}, {"Readonly1", "&Read only", "Ctrl+O"},
        {"MMenuPassword", "Pass&word Protected", "Ctrl+P"},
        {"MMenuRemind", "Re&mind-date set", "Ctrl+R"}, {"AutomaticUpdate1", "Automat&ic Update", "Ctrl+Shift+U"},
        {"Contents1", "&Contents && Index", "F1"},  {"Exit1", "E&xit", ""},
        {"MMenuExitNoUpdate", "&Exit without Updating", ""},
    };
    for (const auto& a : actions) {
        auto* item = f.findChild<QAction*>(a.name);
        ASSERT_NE(nullptr, item) << a.name;
        EXPECT_EQ(a.text, item->text()) << a.name;
        EXPECT_EQ(QKeySequence(a.key), item->shortcut()) << a.name;
    }
    // Each panel is at least as wide as it always was, and wide enough for its text in the font in
    // use; the ticker panel takes what is left of the bar.
    f.SetModified(true);
    f.SetPanelText(2, "Created: " + f.ShortDate(kToday));
    f.SetPanelText(3, "Modified: " + f.ShortDate(kToday));
    QApplication::processEvents();
    const int leastWidths[5] = {85, 50, 113, 113, 50};
    for (int i = 0; i < 5; ++i) {
        auto* panel = f.findChild<QLabel*>(QString("StatusPanel%1").arg(i));
        ASSERT_NE(nullptr, panel) << i;
        EXPECT_GE(panel->width(), leastWidths[i]) << i;
        if (i < 4) {
            EXPECT_FALSE(panel->text().isEmpty()) << i;
            EXPECT_LE(panel->fontMetrics().horizontalAdvance(panel->text()), panel->contentsRect().width())
                << i << ": " << panel->text().toStdString();
        }
    }
    const QWidget* ticker = f.findChild<QLabel*>("StatusPanel4");
    EXPECT_GE(ticker->geometry().right(), f.statusBar()->width() - 20) << "the ticker has the rest of the bar";
    f.SetModified(false);
}

TEST_F(MainFormTest, AWindowLayoutOfAnyNumbersStaysOnTheScreen) {
    WriteSettings("[mwind]\r\nheight=2000000000\r\nwidth=2000000000\r\nleft=-2000000000\r\ntop=2000000000\r\n");
    TMainForm& f = Start();
    const QRect area = f.screen()->availableGeometry();
    EXPECT_LE(f.width(), area.width());
    EXPECT_LE(f.height(), area.height());
    EXPECT_GE(f.frameGeometry().intersected(area).width(), 100) << "some of it on show";
    EXPECT_GE(f.frameGeometry().intersected(area).height(), 100);
}

TEST_F(MainFormTest, OpensThePageOfTheSettingsWithinTheDataSet) {
    MakePages(3);
    const struct {
        const char* pageNum;
        int shown;
    } cases[] = {{"1", 1}, {"9", 2}, {"-4", 0}};
    for (const auto& c : cases) {
        WriteSettings(std::string("[BrowseTo]\r\nPageNum=") + c.pageNum + "\r\n");
        TMainForm& f = Start();
        EXPECT_EQ(QString("page %1").arg(c.shown), EditorText()) << c.pageNum;
        EXPECT_EQ(QString::number(c.shown), f.EditRecNum->text());
        EXPECT_EQ("Created: " + f.ShortDate(44000 + c.shown), f.PanelText(2));
        EXPECT_EQ("Modified: " + f.ShortDate(Clock::System().Today()), f.PanelText(3)) << "written today";
        EXPECT_EQ("", f.PanelText(1));
        form.reset();
    }
}

TEST_F(MainFormTest, APackStoppedBetweenItsRenamesIsUndoneAtStartUp) {
    MakePages(3);
    ASSERT_EQ(0u, store.WritePage(DataSet(), 0, "", false, false, store.PageIdAt(DataSet(), 0), "{\\rtf1 page 0 again}", 0, 1));
    const std::string oldData = ReadFileBytes(DataSet()), oldHeader = ReadFileBytes(dir.File("data.hd"));
    ASSERT_EQ(0u, store.PackDataSet(DataSet()));
    // Stopped after the data file was replaced, before the header file was.
    WriteFileBytes(dir.File("data.hd1"), ReadFileBytes(dir.File("data.hd")));
    WriteFileBytes(dir.File("data.hd"), oldHeader);
    WriteFileBytes(dir.File("data.jbo"), oldData);
    WriteSettings("[BrowseTo]\r\nPageNum=2\r\n");
    Start();
    EXPECT_EQ("page 2", EditorText());
    EXPECT_EQ(oldData, ReadFileBytes(DataSet()));
    EXPECT_FALSE(FileExists(dir.File("data.jbo")));
}

TEST_F(MainFormTest, ARenameStoppedPartWayIsUndoneAtStartUp) {
    MakePages(3);
    // Stopped after the data file took the new name, before the header file did: the rename's
    // record (two files, five calls each) and its first rename were done, nothing after them.
    FaultyFileSystem stopped(12, true);
    ASSERT_FALSE(RenameDataSet(DataSet(), dir.File("notes.jb"), stopped).renamed);
    ASSERT_FALSE(FileExists(DataSet()));
    ASSERT_TRUE(FileExists(dir.File("notes.jb")));
    WriteSettings("[BrowseTo]\r\nPageNum=2\r\n");
    TMainForm& f = Start();
    EXPECT_EQ("page 2", EditorText());
    EXPECT_EQ("Quorvane Jotterbase - data.jb (3 pages)", f.windowTitle());
    EXPECT_FALSE(FileExists(dir.File("notes.jb")));
    EXPECT_FALSE(RenameInterrupted(DataSet()));
}

TEST_F(MainFormTest, CaptionShowsTheDataSetNameInLowerCase) {
    WriteSettings("[Database]\r\nActiveData=C:\\Notes\\DATA.JB\r\n");
    ASSERT_EQ(0u, store.WritePage(dir.File("DATA.JB"), 0, "", false, false, "00000001", "x", 0, 1));
    TMainForm& f = Start();
    EXPECT_EQ("Quorvane Jotterbase - data.jb (1 pages)", f.windowTitle());
    EXPECT_EQ(dir.File("DATA.JB"), f.ws.dataSet);
}

TEST_F(MainFormTest, DeletedPagesDataSetNamesItsMainDataSet) {
    WriteSettings("[Database]\r\nActiveData=%data.jb\r\n");
    TMainForm& f = Start();
    EXPECT_EQ("Quorvane Jotterbase - Deleted pages from: data.jb (0 pages)", f.windowTitle());
    EXPECT_EQ("Res&tore      ", f.ZapButton->text());
    EXPECT_EQ("&Main Data", f.DeletedPages->text());
}

TEST_F(MainFormTest, HeaderFileThatCannotBeOpenedStopsTheProgram) {
    MakePages(1);
    std::filesystem::remove(dir.File("data.hd"));
    std::filesystem::create_directory(dir.File("data.hd"));  // opening it for writing fails
    dialogs.Expect("The header file is already open: Jotterbase needs full exclusive opening rights to this file.");
    form = std::make_unique<TMainForm>(workspace::MainFormSeams{dialogs, clock, desktop, dir.Path()});
    EXPECT_FALSE(form->FormShow());
    EXPECT_EQ(ui::MessageIcon::kError, dialogs.shown.at(0).icon);
    EXPECT_EQ("Jotterbase", dialogs.shown.at(0).caption);
}

TEST_F(MainFormTest, EmptyHeaderFileIsRemovedAndTheMissingPageReportsError5) {
    WriteFileBytes(dir.File("data.jb"), "");
    WriteFileBytes(dir.File("data.hd"), "");
    dialogs.Expect("Error #5 occurred");
    TMainForm& f = Start();
    EXPECT_FALSE(FileExists(dir.File("data.hd")));
    EXPECT_EQ("", EditorText());
    EXPECT_EQ("Quorvane Jotterbase - data.jb (0 pages)", f.windowTitle());
}

TEST_F(MainFormTest, CommandLine) {
    MakePages(1);
    WriteFileBytes(dir.File("my notes.txt"), "hello");
    int searches = 0;
    QStringList imports;
    auto start = [&](const QStringList& parameters) {
        form = std::make_unique<TMainForm>(workspace::MainFormSeams{dialogs, clock, desktop, dir.Path()});
        form->hooks.openSearchDialog = [&](TMainForm&) { ++searches; };
        form->hooks.importFile = [&](TMainForm&, const QString& file) { imports << file; };
        EXPECT_TRUE(form->FormShow(parameters));
    };
    start({"/fInD", "whatever"});
    EXPECT_EQ(1, searches);
    EXPECT_TRUE(imports.isEmpty());
    start({QString::fromStdString(dir.File("my")), "notes.txt"});
    EXPECT_EQ(QStringList{QString::fromStdString(dir.File("my notes.txt"))}, imports);
    dialogs.Expect("The filename you specified does not exist.");
    start({"/no/such/file.txt"});
    EXPECT_EQ(ui::MessageIcon::kError, dialogs.shown.back().icon);
    EXPECT_EQ("page 0", EditorText()) << "start-up completes normally";
}

TEST_F(MainFormTest, MessageOfTheDayIsTypedIntoTheLastPanel) {
    MakePages(1);
    WriteFileBytes(dir.File("todays.messages"), "Remember the milk\n");
    TMainForm& f = Start();
    EXPECT_TRUE(f.Timer->isActive());
    for (int i = 0; i < 100 && f.Timer->isActive(); ++i) f.TimerTimer();
    EXPECT_EQ("Remember the milk", f.PanelText(4));
    EXPECT_FALSE(f.Timer->isActive());
    EXPECT_EQ(0, f.TickerState().Position());
}

TEST_F(MainFormTest, DueRemindersAreAnnouncedInsteadOfOpeningThePage) {
    MakePages(2);
    TMainForm* announced = nullptr;
    form = std::make_unique<TMainForm>(workspace::MainFormSeams{dialogs, clock, desktop, dir.Path()});
    form->hooks.startupReminderQuery = [](TMainForm& f) { f.SetQueryMode(true); };
    form->hooks.announceReminders = [&](TMainForm& f) { announced = &f; };
    ASSERT_TRUE(form->FormShow());
    EXPECT_EQ(form.get(), announced);
    EXPECT_EQ("", EditorText()) << "the page to open is not shown";
}

TEST_F(MainFormTest, ClosingSavesIndexLayoutAndStartPage) {
    MakePages(3);
    TMainForm& f = Start();
    f.ButtonUp->click();
    f.ButtonUp->click();
    f.ToolBarEditing->hide();
    EXPECT_TRUE(f.indexList.Loaded());
    AddPageWords(f.indexList, DataSet(), "0000000C", "zebra");  // as an Update does
    f.close();
    const std::string ini = ReadFileBytes(dir.File("JotBase.ini"));
    EXPECT_NE(std::string::npos, ini.find("PageNum=2")) << ini;
    EXPECT_NE(std::string::npos, ini.find("tb3V=0")) << ini;
    EXPECT_NE(std::string::npos, ini.find("width=638")) << ini;
    EXPECT_EQ("zebra=0000000C\r\n", ReadFileBytes(dir.File("data.idx")));
}

TEST_F(MainFormTest, ClosingWithLastPageOffSavesPageZero) {
    MakePages(3);
    WriteSettings("[BrowseTo]\r\nLastPage=0\r\nPageNum=2\r\n");
    TMainForm& f = Start();
    EXPECT_EQ("page 2", EditorText());
    f.close();
    EXPECT_NE(std::string::npos, ReadFileBytes(dir.File("JotBase.ini")).find("PageNum=0"));
}

TEST_F(MainFormTest, ClosingAsksAboutUnsavedChangesAndExitWithoutUpdatingDoesNot) {
    MakePages(1);
    WriteSettings("[Remind]\r\nOnNoDateAlready=2\r\n");
    Start();
    Type("more ");
    dialogs.Expect("You have not saved the changes (updated) the current record. Do you wish to do so now?",
                   ui::kButtonYes);
    form->Exit1->trigger();
    EXPECT_EQ("more page 0", StoredText(0));

    Start();
    Type("lost ");
    EXPECT_TRUE(form->MMenuExitNoUpdate->isEnabled());
    form->MMenuExitNoUpdate->trigger();
    EXPECT_EQ("more page 0", StoredText(0));
}

TEST_F(MainFormTest, HelpOpensAtContentsContext) {
    Start();
    form->Contents1->trigger();
    ASSERT_EQ(1u, desktop.calls.size());
    EXPECT_EQ(QString("help %1JotBase.html 10").arg(QString::fromStdString(dir.Path())), desktop.calls[0]);
}

}  // namespace
}  // namespace jb::test
