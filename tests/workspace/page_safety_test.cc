// What no command may do to a stored page: crash the window on paste, write the editor over
// another page, touch a locked page, give a protected page the attributes of the page before it,
// or let a zapped page's ID live on in the emptied window.

#include <QAction>
#include <QApplication>
#include <QCheckBox>
#include <QClipboard>
#include <QDateEdit>
#include <QLineEdit>
#include <QMenu>
#include <QMimeData>
#include <QPushButton>
#include <QTest>
#include <QTimeEdit>
#include <QToolButton>
#include <filesystem>
#include <functional>

#include "remind/qt_dates.h"
#include "richtext/richtext.h"
#include "workspace/main_form_fixture.h"

namespace jb::test {
namespace {

using workspace::TMainForm;

const QString kUnsaved = "You have not saved the changes (updated) the current record. Do you wish to do so now?";
const QString kBadNumber = "The page number you have typed is not a valid number";
const QString kRemove = "Are you sure you wish to remove this page from the database?";

struct StoredPage {
    std::string password;
    bool readOnly = false;
    double reminder = 0;
};

class PageSafetyTest : public MainFormTest {
protected:
    // Pages "page i" with the given passwords and attributes.
    void WritePages(const std::vector<StoredPage>& pages) {
        for (std::size_t i = 0; i < pages.size(); ++i) {
            const int n = static_cast<int>(i);
            ASSERT_EQ(0u, store.WritePage(DataSet(), n, pages[i].password, false, pages[i].readOnly, PageIdOf(n),
                                          richtext::RtfFromPlainText("page " + std::to_string(n)),
                                          pages[i].reminder, 44000 + n));
        }
    }
    TMainForm& StartQuietly(int page = 0) {
        WriteSettings("[Remind]\r\nOnNoDateAlready=2\r\n[Template]\r\nDef=none\r\n[BrowseTo]\r\nPageNum=" +
                      std::to_string(page) + "\r\n");
        return Start();
    }
    void GoTo(const QString& typed) {
        form->EditRecNum->setText(typed);
        form->GoButton->click();
    }
    void Unlock(const QString& typed) {
        QTest::keyClicks(form->EditPw, typed);
        form->PwButton->click();
    }
    // Every stored byte of the data set, with the deleted pages.
    std::string DataSetBytes() {
        std::string all;
        for (const char* f : {"data.jb", "data.hd", "%data.jb", "%data.hd"})
            if (std::filesystem::exists(dir.File(f))) all += std::string(f) + ":" + ReadFileBytes(dir.File(f));
        return all;
    }
    void ActivateWindow() {
        form->activateWindow();
        ASSERT_TRUE(QTest::qWaitForWindowActive(form.get()));
    }
    QAction* PopupItem(const QString& text) {
        for (QAction* a : form->PopupMenu1->actions())
            if (a->text() == text) return a;
        ADD_FAILURE() << "no context menu item " << text.toStdString();
        return nullptr;
    }
};

// --- Paste with nothing usable on the clipboard ---

TEST_F(PageSafetyTest, PasteWithNothingUsableOnTheClipboardDoesNothing) {
    WritePages({{}});
    TMainForm& f = StartQuietly();
    ActivateWindow();
    f.EditBox->setFocus();
    const std::pair<const char*, std::function<void()>> paths[] = {
        {"Paste button", [&] { f.PasteButton->click(); }},
        {"Edit > Paste", [&] { f.findChild<QAction*>("MMenuPaste")->trigger(); }},
        {"context menu Paste", [&] { PopupItem("&Paste")->trigger(); }},
        {"Ctrl+V", [&] { QTest::keyClick(f.EditBox, Qt::Key_V, Qt::ControlModifier); }},
        {"Shift+Insert", [&] { QTest::keyClick(f.EditBox, Qt::Key_Insert, Qt::ShiftModifier); }},
        {"drop", [&] {
             QMimeData nothing;
             QDropEvent drop(QPointF(5, 5), Qt::CopyAction, &nothing, Qt::LeftButton, Qt::NoModifier);
             QApplication::sendEvent(f.EditBox->viewport(), &drop);
         }},
    };
    const std::pair<const char*, std::function<void()>> clipboards[] = {
        {"cleared", [] { QGuiApplication::clipboard()->clear(); }},
        {"data without a format", [] { QGuiApplication::clipboard()->setMimeData(new QMimeData); }},
        {"a format the editor cannot take", [] {
             auto* data = new QMimeData;
             data->setData("application/x-unknown", "bytes");
             QGuiApplication::clipboard()->setMimeData(data);
         }},
    };
    for (const auto& [clipboard, fill] : clipboards) {
        for (const auto& [path, paste] : paths) {
            SCOPED_TRACE(std::string(clipboard) + ", " + path);
            fill();
            paste();
            EXPECT_EQ("page 0", EditorText());
            EXPECT_FALSE(f.Modified());
        }
    }
    // The same paths paste text that is there.
    QGuiApplication::clipboard()->setText("x");
    f.PasteButton->click();
    QTest::keyClick(f.EditBox, Qt::Key_V, Qt::ControlModifier);
    EXPECT_EQ("xxpage 0", EditorText());
}

// --- Update writes the page on screen ---

TEST_F(PageSafetyTest, UpdateWritesThePageOnScreenWhateverTheBoxSays) {
    struct Case {
        const char* what;
        std::function<void(TMainForm&)> steps;  // on page 1, after typing "edited "
        const char* shownAfter;                 // editor text afterwards
        const char* boxAfter;
    };
    const Case cases[] = {
        {"a box that fails its check, then Update",
         [this](TMainForm& f) {
             dialogs.Expect(kBadNumber);
             GoTo("x");
             f.UpdateButton->click();
         },
         "edited page 1", "1"},
        {"a number past the last page and Go, answered Yes",
         [this](TMainForm&) {
             dialogs.Expect(kUnsaved, ui::kButtonYes);
             GoTo("42");
         },
         "edited page 1", "1"},
        {"another number and Go, answered Yes",
         [this](TMainForm&) {
             dialogs.Expect(kUnsaved, ui::kButtonYes);
             GoTo("0");
         },
         "page 0", "0"},
        {"another number and Next, answered Yes",
         [this](TMainForm& f) {
             f.EditRecNum->setText("0");
             dialogs.Expect(kUnsaved, ui::kButtonYes);
             f.ButtonUp->click();  // the page after the one in the box: page 1 again
         },
         "edited page 1", "1"},
        {"a page link, answered Yes",
         [this](TMainForm& f) {
             dialogs.Expect(kUnsaved, ui::kButtonYes);
             f.EditBoxURLClick("file://page/0");
         },
         "page 0", "0"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        std::filesystem::remove_all(dir.Path());
        std::filesystem::create_directories(dir.Path());
        WritePages({{}, {}, {}});
        TMainForm& f = StartQuietly(1);
        QTest::keyClicks(f.EditBox, "edited ");
        c.steps(f);
        EXPECT_TRUE(dialogs.Done());
        EXPECT_EQ(c.shownAfter, EditorText());
        EXPECT_EQ(c.boxAfter, f.EditRecNum->text());
        ASSERT_EQ(3, PageCount());
        for (int n = 0; n < 3; ++n) {
            PageInfo info;
            EXPECT_EQ(n == 1 ? "edited page 1" : "page " + std::to_string(n), StoredText(n, &info));
            EXPECT_EQ(PageIdOf(n), info.id);
        }
        form->SetModified(false);
        form.reset();
    }
}

// --- A locked page ---

TEST_F(PageSafetyTest, NoCommandTouchesALockedPage) {
    WritePages({{}, {"secret"}, {}});
    TMainForm& f = StartQuietly(1);
    ASSERT_TRUE(f.PwLocked());
    ActivateWindow();
    const std::string before = DataSetBytes();

    QAction* const pageCommands[] = {
        f.MMenuAdd,     f.MMenuUpdate,   f.MMenuZap,      f.AddPage1,      f.UpdatePage1,
        f.DeletePage1,  f.Readonly1,     f.MMenuPassword, f.MMenuRemind,   f.MMenuUndo,
        f.MMenuRedo,    f.MMenuCut,      f.MenuItem9715,  f.RMenuFont,     f.Insertobject1,
        f.findChild<QAction*>("MMenuPaste"), PopupItem("Cu&t"), PopupItem("&Paste"),
        f.MMenuExitNoUpdate};
    for (QAction* a : pageCommands) {
        SCOPED_TRACE(a->text().toStdString());
        EXPECT_FALSE(a->isEnabled());
        a->trigger();
    }
    for (QAction* a : {f.MMenuNext, f.MMenuPrevious, f.RMenuNext, f.RMenuPrevious})
        EXPECT_TRUE(a->isEnabled()) << a->text().toStdString();
    const QKeySequence keys[] = {QKeySequence("Ctrl+S"), QKeySequence("Ctrl+D"), QKeySequence("Ctrl+A"),
                                 QKeySequence("Ctrl+O"), QKeySequence("Ctrl+P"), QKeySequence("Ctrl+R"),
                                 QKeySequence("Ctrl+X"), QKeySequence("Ctrl+V")};
    QGuiApplication::clipboard()->setText("pasted");
    for (const QKeySequence& key : keys) QTest::keySequence(&f, key);
    // The buttons' own handlers refuse too, whoever presses them.
    for (QToolButton* b : {f.UpdateButton, f.ZapButton, f.AddButton}) emit b->clicked(false);

    EXPECT_TRUE(dialogs.Done());
    EXPECT_EQ(before, DataSetBytes());
    EXPECT_TRUE(f.PwLocked());
    EXPECT_EQ(1, f.ws.pageNumber);
    EXPECT_EQ("", EditorText());

    // Unlocked, the page's commands are back; the page is as stored.
    Unlock("secret");
    EXPECT_EQ("page 1", EditorText());
    for (QAction* a : {f.MMenuAdd, f.MMenuZap, f.AddPage1, f.DeletePage1, f.Readonly1, f.MMenuPassword})
        EXPECT_TRUE(a->isEnabled()) << a->text().toStdString();
    EXPECT_FALSE(f.MMenuUpdate->isEnabled()) << "nothing to update yet";
}

// --- A protected page shows its own attributes ---

TEST_F(PageSafetyTest, ProtectedPageShowsItsOwnReminderAndReadOnlyAttribute) {
    const double reminder = 45010.75;  // 2023-03-25 18:00
    WritePages({{"", true, reminder}, {"secret"}, {"secret", true, reminder}});
    TMainForm& f = StartQuietly(0);
    ASSERT_TRUE(f.CheckBoxRemindMe->isChecked());
    ASSERT_TRUE(f.CheckBoxReadOnly->isChecked());

    f.ButtonUp->click();  // page 1: protected, no reminder, writable
    ASSERT_TRUE(f.PwLocked());
    EXPECT_FALSE(f.CheckBoxRemindMe->isChecked());
    EXPECT_FALSE(f.MMenuRemind->isChecked());
    EXPECT_FALSE(f.RemindDate->text().contains("1899")) << f.RemindDate->text().toStdString();
    EXPECT_EQ(QTime(0, 0), f.RemindTime->time());
    EXPECT_FALSE(f.CheckBoxReadOnly->isChecked());
    EXPECT_FALSE(f.Readonly1->isChecked());
    Unlock("secret");
    EXPECT_FALSE(f.EditBox->isReadOnly());
    QTest::keyClicks(f.EditBox, "more ");
    f.UpdateButton->click();
    PageInfo info;
    StoredText(1, &info);
    EXPECT_EQ("secret", info.password);
    EXPECT_EQ(0, info.reminder);
    EXPECT_FALSE(info.readOnly);

    f.ButtonUp->click();  // page 2: protected, with a reminder, read-only
    ASSERT_TRUE(f.PwLocked());
    EXPECT_TRUE(f.CheckBoxRemindMe->isChecked());
    EXPECT_EQ(QDate(2023, 3, 25), f.RemindDate->date());
    EXPECT_EQ(QTime(18, 0), f.RemindTime->time());
    EXPECT_TRUE(f.CheckBoxReadOnly->isChecked());
    Unlock("secret");
    EXPECT_TRUE(f.EditBox->isReadOnly()) << "the unlocked page keeps its read-only attribute";
    EXPECT_FALSE(f.Modified());
}

// --- Zap of the only page ---

TEST_F(PageSafetyTest, ZapOfTheOnlyPageLeavesANewPage) {
    WritePages({{"secret", true, 45010.75}});
    TMainForm& f = StartQuietly(0);
    Unlock("secret");
    dialogs.Expect(kRemove, ui::kButtonYes);
    f.ZapButton->click();
    ASSERT_EQ(0, PageCount());
    EXPECT_TRUE(f.ws.pageId.empty());
    EXPECT_TRUE(f.ws.password.empty());
    EXPECT_FALSE(f.CheckBoxPassword->isChecked());
    EXPECT_FALSE(f.CheckBoxReadOnly->isChecked());
    EXPECT_FALSE(f.EditBox->isReadOnly());
    EXPECT_FALSE(f.CheckBoxRemindMe->isChecked());
    EXPECT_EQ("0", f.EditRecNum->text());
    EXPECT_EQ("Created: " + f.ShortDate(kToday), f.PanelText(2));

    QTest::keyClicks(f.EditBox, "fresh");
    f.UpdateButton->click();
    ASSERT_EQ(1, PageCount());
    PageInfo info;
    EXPECT_EQ("fresh", StoredText(0, &info));
    EXPECT_NE(PageIdOf(0), info.id);
    EXPECT_TRUE(info.password.empty());
    EXPECT_FALSE(info.readOnly);
    EXPECT_EQ(0, info.reminder);
    EXPECT_EQ(PageIdOf(0), [&] {
        PageInfo deleted;
        StoredText(0, &deleted, dir.File("%data.jb"));
        return deleted.id;
    }());
}

}  // namespace
}  // namespace jb::test
