// No page ever shares an ID with another page of its data set or of its deleted pages, no
// command writes a page that was not on screen, a page that fails to read leaves nothing of
// another page in the window, and a switch of data sets lets go of a locked page. Each case is
// driven by the keys and menus a user takes.

#include <QAction>
#include <QCheckBox>
#include <QLineEdit>
#include <QMenu>
#include <QPushButton>
#include <QTest>
#include <QToolBar>
#include <QToolButton>
#include <cstdlib>
#include <filesystem>
#include <map>
#include <set>

#include "richtext/richtext.h"
#include "store/dataset_paths.h"
#include "store/word_index.h"
#include "workspace/main_form_fixture.h"

namespace jb::test {
namespace {

using workspace::TMainForm;

const QString kRemove = "Are you sure you wish to remove this page from the database?";
const QString kRestore = "Are you sure you wish to transfer this page back to the main data file?";
const QString kNothingToDelete = "There is no stored page on screen to delete.";
const QString kNothingToRestore = "There is no stored page on screen to restore.";

class PageIdentityTest : public MainFormTest {
  protected:
    // Pages "page i", with "elephant" on the pages listed, indexed; page `locked` has a password.
    void WritePages(int count, const std::set<int>& elephants = {}, int locked = -1) {
        IndexList index;
        LoadIndex(index, DataSet());
        for (int n = 0; n < count; ++n) {
            const std::string text =
                "page " + std::to_string(n) + (elephants.count(n) ? " elephant" : "");
            ASSERT_EQ(0u, store.WritePage(DataSet(), n, n == locked ? "secret" : "", false, false,
                                          PageIdOf(n), richtext::RtfFromPlainText(text),
                                          n == 0 ? 45010.75 : 0, 44000 + n));
            AddPageWords(index, DataSet(), PageIdOf(n), text);
        }
        SaveIndex(index, DataSet());
    }
    void Key(int key, Qt::KeyboardModifiers modifiers = Qt::NoModifier) {
        QTest::keyClick(QApplication::focusWidget() ? QApplication::focusWidget() : form.get(),
                        static_cast<Qt::Key>(key), modifiers);
    }
    void TypeInto(QWidget* box, const QString& text) {
        box->setFocus();
        if (auto* line = qobject_cast<QLineEdit*>(box)) line->selectAll();
        QTest::keyClicks(box, text);
        QTest::keyClick(box, Qt::Key_Return);
    }
    // Ctrl+D, answered Yes.
    void ZapByKeys(const QString& question = kRemove) {
        dialogs.Expect(question, ui::kButtonYes);
        Key(Qt::Key_D, Qt::ControlModifier);
    }
    void TypePageTextAndSave(const QString& text) {
        form->EditBox->setFocus();
        form->EditBox->moveCursor(QTextCursor::End);
        QTest::keyClicks(form->EditBox, text);
        Key(Qt::Key_S, Qt::ControlModifier);
    }
    // Every ID of the data set and of its deleted pages, with how often each occurs.
    std::map<std::string, int> IdsOfBothDataSets() {
        std::map<std::string, int> ids;
        for (const std::string& set : {DataSet(), DeletedPagesDataSet(DataSet())})
            for (const HeaderRecord& r : store.ReadAllHeaders(set)) ++ids[std::string(r.IdView())];
        return ids;
    }
    void ExpectNoSharedId() {
        for (const auto& [id, times] : IdsOfBothDataSets())
            EXPECT_EQ(1, times) << "ID " << id << " is shared";
    }
    // Every stored byte of the data set and of its deleted pages.
    std::string DataSetBytes() {
        std::string all;
        for (const char* f : {"data.jb", "data.hd", "%data.jb", "%data.hd"})
            if (std::filesystem::exists(dir.File(f)))
                all += std::string(f) + ":" + ReadFileBytes(dir.File(f));
        return all;
    }
};

TEST_F(PageIdentityTest, ZapInsideAQueryShowsThePageThatTookItsPlaceAndItsIdIsNeverWrittenAgain) {
    WritePages(6, {2, 4});
    TMainForm& f = StartActive();
    TypeInto(f.EditSearchTerm, "elephant");
    ASSERT_TRUE(f.QueryMode());
    ASSERT_EQ(f.EditRecNum->text(), "2");

    ZapByKeys();
    EXPECT_EQ(5, PageCount());
    EXPECT_TRUE(f.QueryMode()) << "the query keeps its other page";
    EXPECT_EQ((std::vector<std::string>{f.QueryList.front(), PageIdOf(4)}), f.QueryList);
    EXPECT_EQ("3", f.EditRecNum->text()) << "page 4 moved down to 3";
    EXPECT_EQ(PageIdOf(4), f.ws.pageId);
    EXPECT_EQ("page 4 elephant", EditorText().toStdString());

    TypePageTextAndSave(" edited");
    EXPECT_EQ(5, PageCount()) << "the edit updates the page on screen, it adds none";
    EXPECT_EQ("page 4 elephant edited", StoredText(3));
    ExpectNoSharedId();

    // The query's last page: the query closes and the page before it in the data set is shown.
    ZapByKeys();
    EXPECT_FALSE(f.QueryMode());
    EXPECT_EQ("2", f.EditRecNum->text());
    EXPECT_EQ("page 3", EditorText().toStdString());
    TypePageTextAndSave(" again");
    EXPECT_EQ(4, PageCount());
    ExpectNoSharedId();
}

TEST_F(PageIdentityTest, ZapWithoutAQueryShowsANeighbourAndItsIdIsNeverWrittenAgain) {
    const struct {
        int zapped;
        const char* shownNumber;
        const char* shownText;
    } cases[] = {{2, "1", "page 1"}, {0, "0", "page 1"}, {3, "2", "page 2"}};
    for (const auto& c : cases) {
        SCOPED_TRACE(c.zapped);
        form.reset();
        for (const char* f : {"data.jb", "data.hd", "data.idx", "%data.jb", "%data.hd"})
            std::filesystem::remove(dir.File(f));
        WritePages(4);
        TMainForm& f = StartActive();
        TypeInto(f.EditRecNum, QString::number(c.zapped));
        ZapByKeys();
        EXPECT_EQ(3, PageCount());
        EXPECT_EQ(c.shownNumber, f.EditRecNum->text());
        EXPECT_EQ(c.shownText, EditorText().toStdString());
        TypePageTextAndSave(" edited");
        EXPECT_EQ(3, PageCount());
        ExpectNoSharedId();
    }
}

TEST_F(PageIdentityTest, APageAnotherProgramMovedToTheDeletedPagesIsUpdatedAsANewPage) {
    WritePages(4);
    TMainForm& f = StartActive();
    TypeInto(f.EditRecNum, "2");
    f.EditBox->setFocus();
    f.EditBox->moveCursor(QTextCursor::End);
    QTest::keyClicks(f.EditBox, " edited");
    const std::string zap =
        std::string(JB_CLI_PATH) + " zap 2 --data " + DataSet() + " >/dev/null 2>&1";
    ASSERT_EQ(0, std::system(zap.c_str()));
    Key(Qt::Key_S, Qt::ControlModifier);
    ASSERT_EQ(4, PageCount()) << "the edited text is kept";
    EXPECT_EQ("page 2 edited", StoredText(3));
    EXPECT_NE(PageIdOf(2), f.ws.pageId);
    EXPECT_EQ(f.ws.pageId, store.PageIdAt(DataSet(), 3));
    ExpectNoSharedId();
}

TEST_F(PageIdentityTest, ZapAndRestoreWithNoStoredPageOnScreenWriteNothing) {
    WritePages(1);
    TMainForm& f = StartActive();

    // A new page that was never written.
    Key(Qt::Key_A, Qt::ControlModifier);
    std::string before = DataSetBytes();
    dialogs.Expect(kNothingToDelete);
    Key(Qt::Key_D, Qt::ControlModifier);
    EXPECT_EQ(before, DataSetBytes());

    // The only page zapped, then restored from the deleted pages: both data sets are then
    // empty in turn.
    TypeInto(f.EditRecNum, "0");
    ZapByKeys();
    ASSERT_EQ(0, PageCount());
    before = DataSetBytes();
    dialogs.Expect(kNothingToDelete);
    f.MMenuZap->trigger();
    EXPECT_EQ(before, DataSetBytes());

    f.DeletedPages->trigger();
    ASSERT_TRUE(f.ws.deletedPagesMode);
    ZapByKeys(kRestore);
    ASSERT_EQ(1, PageCount());
    ASSERT_EQ(0, PageCount(DeletedPagesDataSet(DataSet())));
    before = DataSetBytes();
    dialogs.Expect(kNothingToRestore);
    f.ZapButton->click();
    EXPECT_EQ(before, DataSetBytes());
    EXPECT_TRUE(dialogs.Done());
    ExpectNoSharedId();
}

TEST_F(PageIdentityTest, APageThatFailsToReadLeavesNothingOfThePageBeforeOnScreen) {
    // Page 0 read-only with a reminder, so that every attribute of it could linger.
    for (int n = 0; n < 3; ++n)
        ASSERT_EQ(0u, store.WritePage(DataSet(), n, "", false, n == 0, PageIdOf(n),
                                      richtext::RtfFromPlainText("page " + std::to_string(n)),
                                      n == 0 ? 45010.75 : 0, 44000 + n));
    // The data file cut short in the middle of page 1's body.
    const std::vector<HeaderRecord> records = store.ReadAllHeaders(DataSet());
    std::filesystem::resize_file(dir.File("data.jb"),
                                 static_cast<std::uintmax_t>(records[1].start + 3));
    TMainForm& f = StartActive();
    ASSERT_EQ("page 0", EditorText().toStdString());
    ASSERT_TRUE(f.CheckBoxRemindMe->isChecked());

    dialogs.Expect(QString());  // the damage, named by the general error box
    TypeInto(f.EditRecNum, "1");
    ASSERT_EQ(1u, dialogs.shown.size());
    EXPECT_EQ("", EditorText().toStdString());
    EXPECT_TRUE(f.ws.pageId.empty());
    EXPECT_FALSE(f.CheckBoxRemindMe->isChecked());
    EXPECT_FALSE(f.CheckBoxReadOnly->isChecked());
    EXPECT_FALSE(f.EditBox->isReadOnly());
    EXPECT_EQ("", f.PanelText(2));

    const std::string before = DataSetBytes();
    Key(Qt::Key_S, Qt::ControlModifier);
    EXPECT_EQ(before, DataSetBytes()) << "nothing typed, nothing written";

    TypePageTextAndSave("typed after the error");
    ASSERT_EQ(4, PageCount()) << "what the user typed becomes a new page";
    PageInfo info;
    EXPECT_EQ("typed after the error", StoredText(3, &info));
    EXPECT_EQ(0, info.reminder);
    EXPECT_FALSE(info.readOnly);
    EXPECT_EQ("page 0", StoredText(0)) << "page 0 is untouched";
    ExpectNoSharedId();
}

TEST_F(PageIdentityTest, ASwitchToADataSetWithoutPagesLetsGoOfALockedPage) {
    WritePages(2, {}, 0);
    // An empty deleted-pages data set, as a restore of its last page leaves it.
    WriteFileBytes(dir.File("%data.jb"), "");
    WriteFileBytes(dir.File("%data.hd"), "");
    TMainForm& f = StartActive();
    ASSERT_TRUE(f.PwLocked());
    ASSERT_TRUE(std::filesystem::exists(dir.File("data.tpm")));

    f.DeletedPages->trigger();
    EXPECT_EQ(DeletedPagesDataSet(DataSet()), f.ws.dataSet);
    EXPECT_FALSE(f.PwLocked());
    EXPECT_TRUE(f.MMenuAdd->isEnabled()) << "the menus the lock disabled are back";
    EXPECT_FALSE(std::filesystem::exists(dir.File("data.tpm")));
    EXPECT_FALSE(std::filesystem::exists(dir.File("%data.tpm")));
    EXPECT_TRUE(f.ws.password.empty());

    f.DeletedPages->trigger();  // back to the main data set: the page locks again
    EXPECT_TRUE(f.PwLocked());
    EXPECT_TRUE(dialogs.Done());
}

}  // namespace
}  // namespace jb::test
