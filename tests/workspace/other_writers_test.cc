// The window beside other programs writing its data set: a pack that stopped part way, and zaps
// and restores of the page on screen. No page is lost and no ID is in use twice.

#include <QAction>
#include <QLineEdit>
#include <QTest>
#include <QToolButton>
#include <filesystem>
#include <string>
#include <vector>

#include "app/cli_run.h"
#include "richtext/richtext.h"
#include "store/dataset_paths.h"
#include "workspace/main_form_fixture.h"

namespace jb::test {
namespace {

namespace fs = std::filesystem;

const QString kRemove = "Are you sure you wish to remove this page from the database?";

class OtherWritersTest : public MainFormTest {
protected:
    workspace::TMainForm& StartAt(int n, int onNoDateAlready = 2) {
        WriteSettings("[Remind]\r\nOnNoDateAlready=" + std::to_string(onNoDateAlready) +
                      "\r\n[Template]\r\nDef=none\r\n");
        workspace::TMainForm& f = Start();
        f.EditRecNum->setText(QString::number(n));
        QTest::keyClick(f.EditRecNum, Qt::Key_Return);
        EXPECT_EQ(PageIdOf(n), f.ws.pageId);
        return f;
    }
    std::vector<std::string> Ids(const std::string& dataSet) {
        std::vector<std::string> ids;
        for (int n = 0; n < store.PageCount(dataSet); ++n) ids.push_back(store.PageIdAt(dataSet, n));
        return ids;
    }
    void RunCli(const std::string& arguments) {
        const CliRun r = Cli(arguments + " --data " + DataSet());
        ASSERT_EQ(0, r.exitCode) << arguments << ": " << r.err;
    }
    std::string Deleted() const { return CounterpartOf(DataSet()); }
};

// What a pack killed between its two renames leaves: the packed data file has taken the data
// file's name (the old one keeps a second name, ".jbo"), the packed header file is still ".hd1".
void StopAPackBetweenItsRenames(const std::string& dataSet) {
    TempDir scratch;
    const std::string copy = scratch.File("data.jb");
    fs::copy_file(dataSet, copy);
    fs::copy_file(CompanionPath(dataSet, ".hd"), CompanionPath(copy, ".hd"));
    PageStore packer;
    ASSERT_EQ(0u, packer.PackDataSet(copy));
    fs::create_hard_link(dataSet, CompanionPath(dataSet, ".jbo"));
    fs::copy_file(copy, CompanionPath(dataSet, ".jb1"));
    fs::rename(CompanionPath(dataSet, ".jb1"), dataSet);
    fs::copy_file(CompanionPath(copy, ".hd"), CompanionPath(dataSet, ".hd1"));
}

TEST_F(OtherWritersTest, AnUpdateAfterAPackStoppedBetweenItsRenamesKeepsEveryPage) {
    MakePages(3);
    // An earlier text of page 0 before the others, which the pack drops: the packed bodies lie
    // elsewhere than the old ones.
    ASSERT_EQ(0u, store.WritePage(DataSet(), 0, "", false, false, PageIdOf(0),
                                  richtext::RtfFromPlainText("page 0"), 0, 44000));
    workspace::TMainForm& f = StartAt(0);
    StopAPackBetweenItsRenames(DataSet());
    f.EditBox->moveCursor(QTextCursor::End);
    Type(" edited");
    f.MMenuUpdate->trigger();
    EXPECT_FALSE(f.Modified());
    store.FinishInterruptedPack(DataSet());  // what the next program does first
    EXPECT_EQ("page 0 edited", StoredText(0));
    EXPECT_EQ("page 1", StoredText(1));
    EXPECT_EQ("page 2", StoredText(2));
    EXPECT_FALSE(FileExists(CompanionPath(DataSet(), ".jbo")));
}

// The window's Zap and another program's zap of the same page: it goes to the deleted pages
// once. Another program's zap while the question is on screen leaves the window nothing to move.
TEST_F(OtherWritersTest, AZapBesideAnotherProgramsZapMovesThePageOnce) {
    MakePages(3);
    workspace::TMainForm& f = StartAt(1);
    dialogs.Expect(kRemove, ui::kButtonYes, [&] { RunCli("zap 1"); });
    dialogs.Expect("There is no stored page on screen to delete.");
    f.ZapButton->click();
    EXPECT_TRUE(dialogs.Done());
    EXPECT_EQ((std::vector<std::string>{PageIdOf(0), PageIdOf(2)}), Ids(DataSet()));
    EXPECT_EQ((std::vector<std::string>{PageIdOf(1)}), Ids(Deleted()));
}

// A zap that stopped after its copy left the page in the deleted pages too: the window's Zap
// finishes that move with the text on screen instead of copying the page a second time.
TEST_F(OtherWritersTest, AZapOfAPageAStoppedZapCopiedFinishesThatZap) {
    MakePages(3);
    ASSERT_EQ(0u, store.WritePage(Deleted(), 0, "", false, false, PageIdOf(1), richtext::RtfFromPlainText("page 1"),
                                  0, 44001));
    workspace::TMainForm& f = StartAt(1);
    f.EditBox->moveCursor(QTextCursor::End);
    Type(" edited");
    dialogs.Expect(kRemove, ui::kButtonYes);
    f.ZapButton->click();
    EXPECT_EQ((std::vector<std::string>{PageIdOf(0), PageIdOf(2)}), Ids(DataSet()));
    EXPECT_EQ((std::vector<std::string>{PageIdOf(1)}), Ids(Deleted()));
    EXPECT_EQ("page 1 edited", StoredText(0, nullptr, Deleted()));
}

// Another program zaps the page on screen and restores it: the window's Update writes the page
// where it now is, under its one ID.
TEST_F(OtherWritersTest, AnUpdateAfterAnotherProgramZappedAndRestoredThePageWritesItOnce) {
    MakePages(3);
    workspace::TMainForm& f = StartAt(1);
    f.EditBox->moveCursor(QTextCursor::End);
    Type(" edited");
    RunCli("zap 1");
    RunCli("restore 0");
    f.UpdateButton->click();
    EXPECT_EQ((std::vector<std::string>{PageIdOf(0), PageIdOf(2), PageIdOf(1)}), Ids(DataSet()));
    EXPECT_EQ("page 1 edited", StoredText(2));
    EXPECT_EQ(0, store.PageCount(Deleted()));
}

// Another program zaps the page while Update's reminder question is on screen: the page is then
// in the deleted pages, and the text on screen becomes a page of its own, not a second page
// with the moved page's ID (which a restore would then make two pages of the data set).
TEST_F(OtherWritersTest, AnUpdateWhoseQuestionWasAnsweredAfterAnotherProgramsZapKeepsTheIdsApart) {
    MakePages(3);
    workspace::TMainForm& f = StartAt(1, 1);
    f.EditBox->moveCursor(QTextCursor::End);
    Type(" edited");
    dialogs.Expect("This page has no reminder-date set. Do you wish to add one?", ui::kButtonNo,
                   [&] { RunCli("zap 1"); });
    f.UpdateButton->click();
    EXPECT_TRUE(dialogs.Done());
    const std::vector<std::string> ids = Ids(DataSet());
    ASSERT_EQ(3u, ids.size());
    EXPECT_NE(PageIdOf(1), ids[2]) << "the moved page's ID stays with it";
    EXPECT_EQ("page 1 edited", StoredText(2));
    EXPECT_EQ((std::vector<std::string>{PageIdOf(1)}), Ids(Deleted()));
    RunCli("restore 0");
    EXPECT_EQ((std::vector<std::string>{PageIdOf(0), PageIdOf(2), ids[2], PageIdOf(1)}), Ids(DataSet()));
}

}  // namespace
}  // namespace jb::test
