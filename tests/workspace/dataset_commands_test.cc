// The data set commands of the window: New, Open and Save Database as, the Deleted Pages toggle,
// Pack and Rebuild Damaged Index, through the real menu items with the scripted dialogs.

#include <QAction>
#include <QLineEdit>
#include <QMenu>
#include <QProgressBar>
#include <QTest>
#include <QToolButton>
#include <filesystem>

#include "datasets/dataset_commands.h"
#include "datasets/progress_form.h"
#include "richtext/richtext.h"
#include "workspace/main_form_fixture.h"

namespace jb::test {
namespace {

using workspace::TMainForm;

const QString kUnsaved = "You have not saved the changes (updated) the current record. Do you wish to do so now?";
const QString kRemove = "Are you sure you wish to remove this page from the database?";
const QString kRestore = "Are you sure you wish to transfer this page back to the main data file?";
const QString kNoDeletedPages = "There is no file of deleted pages for this data-file.";

class DataSetCommandsTest : public MainFormTest {
protected:
    TMainForm& StartQuietly() {
        WriteSettings("[Remind]\r\nOnNoDateAlready=2\r\n[Template]\r\nDef=none\r\n");
        return Start();
    }
    std::string Settings() { return ReadFileBytes(dir.File("JotBase.ini")); }
    std::string ActiveData() {
        const std::string ini = Settings();
        const std::size_t at = ini.find("ActiveData=");
        if (at == std::string::npos) return {};
        return ini.substr(at + 11, ini.find('\r', at) - at - 11);
    }
    QString Title() const { return form->windowTitle(); }
    void Zap(int n) {
        form->EditRecNum->setText(QString::number(n));
        form->GoButton->click();
        dialogs.Expect(form->ws.deletedPagesMode ? kRestore : kRemove, ui::kButtonYes);
        form->ZapButton->click();
    }
};

TEST_F(DataSetCommandsTest, FileAndViewMenusHoldTheCommands) {
    TMainForm& f = StartQuietly();
    EXPECT_EQ((QList<QAction*>{f.CreateNewDatabase1, f.ChangeCurrentDatabase1, f.Saveas1}),
              f.FileMenu->actions().mid(0, 3));
    auto* maintenance = f.findChild<QMenu*>("DatabaseMaintainance1");
    ASSERT_NE(nullptr, maintenance);
    EXPECT_EQ("Database &Maintainance...", maintenance->title());
    EXPECT_EQ((QList<QAction*>{f.Packcurrentdatabase1, f.Rebuilddamagedindex1}), maintenance->actions());
    EXPECT_TRUE(f.ViewMenu->actions().contains(f.DeletedPages));
    EXPECT_FALSE(f.FileMenu->actions().contains(f.DeletedPages));
    EXPECT_EQ("&New Database", f.CreateNewDatabase1->text());
    EXPECT_EQ("&Open Database", f.ChangeCurrentDatabase1->text());
    EXPECT_EQ("Save Database &as", f.Saveas1->text());
    EXPECT_EQ("&Pack Current Database", f.Packcurrentdatabase1->text());
    EXPECT_EQ("Rebuild Damaged &Index", f.Rebuilddamagedindex1->text());
}

TEST_F(DataSetCommandsTest, NewDatabaseStartsAnEmptyDataSetAndWritesNothing) {
    MakePages(2);
    TMainForm& f = StartQuietly();
    dialogs.ExpectSaveFile({});  // Cancel
    f.CreateNewDatabase1->trigger();
    EXPECT_EQ(DataSet(), f.ws.dataSet);

    QTest::keyClicks(f.EditBox, "unsaved ");
    dialogs.Expect(kUnsaved, ui::kButtonYes);
    dialogs.ExpectSaveFile(QString::fromStdString(dir.File("work")));
    f.CreateNewDatabase1->trigger();
    EXPECT_EQ("unsaved page 0", StoredText(0)) << "the old page was settled first";
    EXPECT_EQ(dir.File("work.jb"), f.ws.dataSet);
    EXPECT_EQ("Quorvane Jotterbase - work.jb (0 pages)", Title());
    EXPECT_EQ(dir.File("work.jb"), ActiveData());
    EXPECT_EQ("", EditorText());
    EXPECT_EQ("0", f.EditRecNum->text());
    EXPECT_TRUE(f.ws.pageId.empty());
    EXPECT_FALSE(std::filesystem::exists(dir.File("work.jb")));
    EXPECT_FALSE(std::filesystem::exists(dir.File("work.hd")));

    QTest::keyClicks(f.EditBox, "first");
    f.UpdateButton->click();
    ASSERT_EQ(1, PageCount(dir.File("work.jb")));
    PageInfo info;
    EXPECT_EQ("first", StoredText(0, &info, dir.File("work.jb")));
    EXPECT_NE(store.PageIdAt(DataSet(), 0), info.id) << "a new page, not the old page's ID";
    EXPECT_EQ(2, PageCount()) << "the old data set is as it was";

    // An existing data set chosen here is opened as it is.
    dialogs.ExpectSaveFile(QString::fromStdString(DataSet()));
    f.CreateNewDatabase1->trigger();
    EXPECT_EQ(DataSet(), f.ws.dataSet);
    EXPECT_EQ("unsaved page 0", EditorText());
    EXPECT_EQ(2, PageCount());
}

TEST_F(DataSetCommandsTest, OpenDatabaseShowsPageZeroAndDeletedPagesMode) {
    MakePages(3);
    TMainForm& f = StartQuietly();
    Zap(2);
    const std::string deleted = dir.File("%data.jb");
    ASSERT_EQ(1, PageCount(deleted));

    QTest::keyClicks(f.EditBox, "edited ");
    dialogs.ExpectOpenFile(QString::fromStdString(deleted));
    dialogs.Expect(kUnsaved, ui::kButtonNo);
    f.ChangeCurrentDatabase1->trigger();
    EXPECT_EQ("page 1", StoredText(1)) << "No: nothing saved";
    EXPECT_EQ(deleted, f.ws.dataSet);
    EXPECT_TRUE(f.ws.deletedPagesMode);
    EXPECT_EQ("page 2", EditorText());
    EXPECT_EQ("Quorvane Jotterbase - Deleted pages from: data.jb (1 pages)", Title());
    EXPECT_EQ("Res&tore      ", f.ZapButton->text());
    EXPECT_EQ("&Main Data", f.DeletedPages->text());
    EXPECT_EQ(deleted, ActiveData());
    EXPECT_TRUE(dialogs.Done());
}

TEST_F(DataSetCommandsTest, TheToggleShowsTheDeletedPagesAndRestoreBringsAPageBackLast) {
    MakePages(5);
    TMainForm& f = StartQuietly();
    dialogs.Expect(kNoDeletedPages);
    f.DeletedPages->trigger();
    EXPECT_EQ(DataSet(), f.ws.dataSet);
    EXPECT_EQ("Quorvane Jotterbase - data.jb (5 pages)", Title());

    Zap(3);
    const std::string id = store.PageIdAt(dir.File("%data.jb"), 0);
    EXPECT_EQ("0000000D", id);
    f.DeletedPages->trigger();
    EXPECT_EQ("Quorvane Jotterbase - Deleted pages from: data.jb (1 pages)", Title());
    EXPECT_EQ("page 3", EditorText());
    EXPECT_EQ(dir.File("%data.jb"), ActiveData());

    Zap(0);  // Restore
    EXPECT_EQ(5, PageCount());
    PageInfo info;
    EXPECT_EQ("page 3", StoredText(4, &info));
    EXPECT_EQ(id, info.id) << "a restored page keeps its ID and is the last page";
    EXPECT_EQ(0, PageCount(dir.File("%data.jb")));
    // The deleted pages are empty now: the window holds a new page, nothing of the restored one.
    EXPECT_EQ("", EditorText());
    EXPECT_TRUE(f.ws.pageId.empty());

    f.DeletedPages->trigger();  // back to the main data, at page 0
    EXPECT_EQ(DataSet(), f.ws.dataSet);
    EXPECT_FALSE(f.ws.deletedPagesMode);
    EXPECT_EQ("page 0", EditorText());
    EXPECT_EQ("&Zap", f.ZapButton->text());
    EXPECT_EQ("&Deleted Pages", f.DeletedPages->text());
    EXPECT_EQ(DataSet(), ActiveData());
    EXPECT_TRUE(dialogs.Done());
}

TEST_F(DataSetCommandsTest, SaveAsRenamesEveryFileOfBothDataSets) {
    MakePages(3);
    TMainForm& f = StartQuietly();
    Zap(1);
    WriteFileBytes(dir.File("data.rsc"), "cat\r\n");
    // The index of this data set was never saved: there is no index file (an earlier fault).
    ASSERT_FALSE(std::filesystem::exists(dir.File("data.idx")));
    dialogs.ExpectSaveFile(QString::fromStdString(dir.File("Notes")));
    f.Saveas1->trigger();
    EXPECT_TRUE(dialogs.Done());
    EXPECT_EQ(dir.File("Notes.jb"), f.ws.dataSet);
    EXPECT_EQ("Quorvane Jotterbase - notes.jb (2 pages)", Title());
    EXPECT_EQ(dir.File("Notes.jb"), ActiveData());
    for (const char* name : {"Notes.jb", "Notes.hd", "Notes.rsc", "%Notes.jb", "%Notes.hd"})
        EXPECT_TRUE(std::filesystem::exists(dir.File(name))) << name;
    for (const char* name : {"data.jb", "data.hd", "data.rsc", "%data.jb", "%data.hd"})
        EXPECT_FALSE(std::filesystem::exists(dir.File(name))) << name;
    EXPECT_EQ("page 2", StoredText(1, nullptr, dir.File("Notes.jb")));
    QTest::keyClicks(f.EditBox, "more ");
    f.UpdateButton->click();
    EXPECT_EQ("more page 0", StoredText(0, nullptr, dir.File("Notes.jb")));
}

TEST_F(DataSetCommandsTest, SaveAsRefusalsAndAFailedStepLeaveTheDataSetAsItWas) {
    MakePages(2);
    TMainForm& f = StartQuietly();
    WriteFileBytes(dir.File("taken.jb"), "another data set");
    dialogs.ExpectSaveFile(QString::fromStdString(dir.File("taken.jb")));
    dialogs.Expect("Critical Error FA has occurred. The data-file name could not be changed.");
    f.Saveas1->trigger();
    EXPECT_EQ(ui::MessageIcon::kError, dialogs.shown.back().icon);
    EXPECT_EQ(DataSet(), f.ws.dataSet);
    EXPECT_EQ("another data set", ReadFileBytes(dir.File("taken.jb")));
    EXPECT_EQ(2, PageCount());

    dialogs.ExpectSaveFile(QString::fromStdString(dir.File("%x")));
    dialogs.Expect("You cannot use the reserved character % in a jotterbase data-set filename.");
    f.Saveas1->trigger();
    EXPECT_EQ(DataSet(), f.ws.dataSet);

    Zap(0);
    f.DeletedPages->trigger();
    dialogs.Expect("The name of the deleted data file cannot be changed.");
    f.Saveas1->trigger();
    EXPECT_TRUE(dialogs.Done());
    EXPECT_EQ(dir.File("%data.jb"), f.ws.dataSet);
}

TEST_F(DataSetCommandsTest, PackShowsItsProgressAndKeepsEveryPage) {
    MakePages(3);
    TMainForm& f = StartQuietly();
    for (int i = 0; i < 3; ++i) {
        QTest::keyClicks(f.EditBox, "again ");
        f.UpdateButton->click();
    }
    const auto before = std::filesystem::file_size(DataSet());
    std::vector<int> shown;
    QObject::connect(f.DataSets->ProgressForm->ProgressBar1, &QProgressBar::valueChanged,
                     [&](int v) { shown.push_back(v); });
    bool visibleDuring = false;
    QObject::connect(f.DataSets->ProgressForm->ProgressBar1, &QProgressBar::valueChanged,
                     [&] { visibleDuring = f.DataSets->ProgressForm->isVisible(); });
    f.Packcurrentdatabase1->trigger();
    EXPECT_EQ((std::vector<int>{0, 100}), shown);
    EXPECT_TRUE(visibleDuring);
    EXPECT_FALSE(f.DataSets->ProgressForm->isVisible());
    EXPECT_EQ("Packing data", f.DataSets->ProgressForm->windowTitle());
    EXPECT_LT(std::filesystem::file_size(DataSet()), before);
    EXPECT_EQ("again again again page 0", StoredText(0));
    EXPECT_EQ("page 2", StoredText(2));
    EXPECT_EQ("again again again page 0", EditorText()) << "the page on show stays";
}

// Installed for every user, the rebuild program lies with the other helper programs, not in the
// user's program folder.
TEST_F(DataSetCommandsTest, RebuildStartsTheRebuildProgramOfASharedInstallation) {
    MakePages(1);
    WriteSettings("[Remind]\r\nOnNoDateAlready=2\r\n[Template]\r\nDef=none\r\n");
    const Installation shared{"/opt/jb/bin/", "/opt/jb/lib/jotterbase/", "/opt/jb/share/jotterbase/", true};
    form = std::make_unique<TMainForm>(workspace::MainFormSeams{dialogs, clock, desktop, dir.Path(), shared});
    ASSERT_TRUE(form->FormShow({}));
    form->Rebuilddamagedindex1->trigger();
    EXPECT_EQ(std::vector<QString>{"start /opt/jb/lib/jotterbase/IndexBld " + QString::fromStdString(DataSet())},
              desktop.calls);
}

TEST_F(DataSetCommandsTest, RebuildSavesALoadedIndexAndStartsTheRebuildProgram) {
    MakePages(1);
    TMainForm& f = StartQuietly();
    QTest::keyClicks(f.EditBox, "zebra ");
    f.UpdateButton->click();
    ASSERT_TRUE(f.indexList.Loaded());
    f.Rebuilddamagedindex1->trigger();
    EXPECT_FALSE(f.indexList.Loaded()) << "loaded again at its next use";
    EXPECT_NE(std::string::npos, ReadFileBytes(dir.File("data.idx")).find("zebra=" + f.ws.pageId));
    EXPECT_EQ(std::vector<QString>{"start " + QString::fromStdString(dir.File("IndexBld") + " " + DataSet())},
              desktop.calls)
        << "the rebuild is told the current data set, wherever it lies";

    std::filesystem::remove(dir.File("data.idx"));
    f.Rebuilddamagedindex1->trigger();
    EXPECT_FALSE(std::filesystem::exists(dir.File("data.idx"))) << "no list loaded: nothing written";
    EXPECT_EQ(2u, desktop.calls.size());
}

TEST_F(DataSetCommandsTest, AnIndexThatCannotBeSavedKeepsItsDataSetCurrent) {
    MakePages(1);
    TMainForm& f = StartQuietly();
    QTest::keyClicks(f.EditBox, "zebra ");
    f.UpdateButton->click();
    ASSERT_TRUE(f.indexList.Loaded());
    std::filesystem::create_directory(dir.File("data.id1"));  // the index file cannot be written
    dialogs.ExpectOpenFile(QString::fromStdString(dir.File("other.jb")));
    dialogs.Expect({});  // the error, whatever its words
    f.ChangeCurrentDatabase1->trigger();
    EXPECT_EQ(ui::MessageIcon::kError, dialogs.shown.back().icon);
    EXPECT_EQ(DataSet(), f.ws.dataSet);
    EXPECT_TRUE(f.indexList.Loaded()) << "the list, with its new words, is still there";
    EXPECT_TRUE(f.indexList.Entries().Contains("zebra=" + f.ws.pageId));
    EXPECT_EQ("zebra page 0", EditorText());
}

TEST_F(DataSetCommandsTest, APackStoppedPartWayIsPutRightBeforeTheDataSetBecomesCurrent) {
    const std::string other = dir.File("other.jb");
    for (int i = 0; i < 2; ++i)
        ASSERT_EQ(0u, store.WritePage(other, i, "", false, false, "0000000" + std::to_string(i),
                                      richtext::RtfFromPlainText("other " + std::to_string(i)), 0, 44000));
    const std::string oldData = ReadFileBytes(other), oldHeader = ReadFileBytes(dir.File("other.hd"));
    ASSERT_EQ(0u, store.PackDataSet(other));
    // Stopped after the data file was replaced, before the header file was.
    WriteFileBytes(dir.File("other.hd1"), ReadFileBytes(dir.File("other.hd")));
    WriteFileBytes(dir.File("other.hd"), oldHeader);
    WriteFileBytes(dir.File("other.jbo"), oldData);
    MakePages(1);
    TMainForm& f = StartQuietly();
    dialogs.ExpectOpenFile(QString::fromStdString(other));
    f.ChangeCurrentDatabase1->trigger();
    EXPECT_EQ("other 0", EditorText());
    EXPECT_EQ(oldData, ReadFileBytes(other));
    EXPECT_FALSE(std::filesystem::exists(dir.File("other.jbo")));
}

}  // namespace
}  // namespace jb::test
