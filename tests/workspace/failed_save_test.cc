// A page whose save fails stays on screen: no command that asked to save it goes on and drops it,
// closing the window included.

#include <QAction>
#include <QLineEdit>
#include <QProcess>
#include <QTest>
#include <QTextCursor>
#include <QToolButton>
#include <filesystem>
#include <functional>

#include "richtext/richtext.h"
#include "store/dataset_lock.h"
#include "store/dataset_paths.h"
#include "workspace/main_form_fixture.h"

namespace jb::test {
namespace {

using workspace::TMainForm;

const QString kUnsaved = "You have not saved the changes (updated) the current record. Do you wish to do so now?";

// Another program holding the data set: util-linux flock keeps the lock file locked until the
// holder's input ends.
class LockHolder {
public:
    LockHolder(const std::string& dataSet, const std::string& readyFile) {
        holder_.start("flock", {"-x", QString::fromStdString(LockFilePath(dataSet)), "sh", "-c",
                                "touch \"$0\"; read line", QString::fromStdString(readyFile)});
        for (int i = 0; i < 250 && !FileExists(readyFile); ++i) QTest::qWait(20);
        held_ = FileExists(readyFile);
    }
    ~LockHolder() { Release(); }
    bool Held() const { return held_; }
    void Release() {
        holder_.closeWriteChannel();
        holder_.waitForFinished(10000);
    }

private:
    QProcess holder_;
    bool held_ = false;
};

class FailedSaveTest : public MainFormTest {
protected:
    // Page 0 of two, edited and not saved.
    TMainForm& StartEdited() {
        WriteSettings("[Remind]\r\nOnNoDateAlready=2\r\n[Template]\r\nDef=none\r\n");
        MakePages(2);
        TMainForm& f = Start();
        f.EditBox->moveCursor(QTextCursor::End);
        Type(" edited");
        return f;
    }
    // The window still shows the edited page 0 of the data set, and nothing of it was written.
    void ExpectPageKept(TMainForm& f, bool modified) {
        EXPECT_TRUE(f.isVisible()) << "the window stays open";
        EXPECT_EQ(DataSet(), f.ws.dataSet);
        EXPECT_EQ(0, f.ws.pageNumber);
        EXPECT_EQ("page 0 edited", EditorText().toStdString());
        EXPECT_EQ(modified, f.Modified());
        EXPECT_EQ("page 0", StoredText(0));
        EXPECT_EQ(2, PageCount());
        EXPECT_TRUE(dialogs.Done());
    }
};

// Every command that settles the page before it drops it: Yes to saving, the save refused
// because another program holds the data set, and the command must stop there.
TEST_F(FailedSaveTest, ACommandWhoseSaveIsRefusedKeepsThePage) {
    const std::string other = dir.File("other.jb");
    ASSERT_EQ(0u, store.WritePage(other, 0, "", false, false, "0000FFFF", richtext::RtfFromPlainText("other"), 0, 1));
    ASSERT_EQ(0u, store.WritePage(DeletedPagesDataSet(DataSet()), 0, "", false, false, "0000FFFE",
                                  richtext::RtfFromPlainText("deleted"), 0, 1));
    const QString imported = QString::fromStdString(dir.File("imported.txt"));
    WriteFileBytes(imported.toStdString(), "an imported page\n");
    TMainForm& f = StartEdited();
    const struct {
        const char* name;
        std::function<void()> before;  // the dialogs the command shows before it asks to save
        std::function<void()> command;
    } cases[] = {
        {"File > Exit", [] {}, [&] { f.Exit1->trigger(); }},
        {"New Database", [] {}, [&] { f.CreateNewDatabase1->trigger(); }},
        {"Open Database", [&] { dialogs.ExpectOpenFile(QString::fromStdString(other)); },
         [&] { f.ChangeCurrentDatabase1->trigger(); }},
        {"Deleted Pages", [] {}, [&] { f.DeletedPages->trigger(); }},
        {"Import file", [&] { dialogs.ExpectOpenFilesOfType({imported}, 1); }, [&] { f.MMenuImport->trigger(); }},
        {"Add", [] {}, [&] { f.AddButton->click(); }},
        {"Next page", [] {}, [&] { f.ButtonUp->click(); }},
    };
    const std::string ready = dir.File("held");
    LockHolder holder(DataSet(), ready);
    ASSERT_TRUE(holder.Held());
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        c.before();
        dialogs.Expect(kUnsaved, ui::kButtonYes);
        dialogs.Expect(QString());  // the general error
        c.command();
        ASSERT_FALSE(dialogs.shown.empty());
        EXPECT_TRUE(dialogs.shown.back().text.contains("Another program is writing this data set"))
            << dialogs.shown.back().text.toStdString();
        ExpectPageKept(f, true);
    }
    // Once the other program is done, closing saves the page.
    holder.Release();
    dialogs.Expect(kUnsaved, ui::kButtonYes);
    f.Exit1->trigger();
    EXPECT_FALSE(f.isVisible());
    EXPECT_EQ("page 0 edited", StoredText(0));
}

// A save that fails with a status (the data file cannot be opened for writing) keeps the window
// open too: the user has been told, and the page is still on screen and still unsaved.
TEST_F(FailedSaveTest, ClosingStopsWhenTheSaveReportsAnError) {
    TMainForm& f = StartEdited();
    std::filesystem::rename(DataSet(), dir.File("moved.jb"));
    std::filesystem::create_directory(DataSet());
    dialogs.Expect(kUnsaved, ui::kButtonYes);
    dialogs.Expect("Error #2 occured");
    f.Exit1->trigger();
    std::filesystem::remove(DataSet());
    std::filesystem::rename(dir.File("moved.jb"), DataSet());
    // The page is still unsaved, so the next close asks again and can store it.
    ExpectPageKept(f, true);
    dialogs.Expect(kUnsaved, ui::kButtonYes);
    f.Exit1->trigger();
    EXPECT_FALSE(f.isVisible());
    EXPECT_EQ("page 0 edited", StoredText(0));
}

}  // namespace
}  // namespace jb::test
