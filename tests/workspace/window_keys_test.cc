// The window's shortcuts: no key is bound to two live commands, the keys that change owner with
// query mode reach the right command, and the query menu works in every kind of query.

#include <QAction>
#include <QCheckBox>
#include <QAbstractButton>
#include <QLineEdit>
#include <QMenuBar>
#include <QMenu>
#include <QPushButton>
#include <QTest>
#include <QToolButton>
#include <filesystem>
#include <map>

#include "protect/password_forms.h"
#include "richtext/richtext.h"
#include "search/search_form.h"
#include "workspace/main_form_fixture.h"

namespace jb::test {
namespace {

using workspace::TMainForm;

class WindowKeysTest : public MainFormTest {
protected:
    // Pages "page i" with the given reminders; page `locked` (when not -1) has a password.
    void WritePages(const std::vector<double>& reminders, int locked = -1) {
        for (std::size_t i = 0; i < reminders.size(); ++i) {
            const int n = static_cast<int>(i);
            ASSERT_EQ(0u, store.WritePage(DataSet(), n, n == locked ? "secret" : "", false, false, PageIdOf(n),
                                          richtext::RtfFromPlainText("page " + std::to_string(n)),
                                          reminders[i], 44000 + n));
        }
    }
    TMainForm& StartActive() {
        WriteSettings("[Remind]\r\nOnNoDateAlready=2\r\n[Template]\r\nDef=none\r\n");
        TMainForm& f = Start();
        f.activateWindow();
        EXPECT_TRUE(QTest::qWaitForWindowActive(&f));
        return f;
    }
    // Every key that more than one enabled action of the main window holds, with its holders.
    QString SharedKeys() {
        std::map<QString, QStringList> owners;
        for (QAction* a : form->findChildren<QAction*>()) {
            auto* parent = qobject_cast<QWidget*>(a->parent());
            if (a->shortcut().isEmpty() || !a->isEnabled() || !parent || parent->window() != form.get()) continue;
            owners[a->shortcut().toString()] << a->objectName();
        }
        QString shared;
        for (const auto& [key, names] : owners)
            if (names.size() > 1) shared += key + ": " + names.join(", ") + "; ";
        return shared;
    }
};

TEST_F(WindowKeysTest, NoKeyIsBoundToTwoLiveCommands) {
    WritePages({0, 0, 0}, 2);
    TMainForm& f = StartActive();
    const QString none;
    EXPECT_EQ(none, SharedKeys()) << "at start";
    f.OpenQuery("page ", {PageIdOf(0), PageIdOf(1)}, "page");
    ASSERT_TRUE(f.QueryMode());
    EXPECT_EQ(none, SharedKeys()) << "in a query";
    f.CloseQueryButton->click();
    EXPECT_EQ(none, SharedKeys()) << "after the query";
    f.EditRecNum->setText("2");
    f.GoButton->click();
    ASSERT_TRUE(f.PwLocked());
    EXPECT_EQ(none, SharedKeys()) << "on a locked page";
}

TEST_F(WindowKeysTest, KeysReachTheirCommands) {
    WritePages({0, 0});
    TMainForm& f = StartActive();

    // Ctrl+R sets the reminder outside a query and refines in one.
    QTest::keySequence(&f, QKeySequence("Ctrl+R"));
    EXPECT_TRUE(f.CheckBoxRemindMe->isChecked());
    f.SetModified(false);
    f.OpenQuery("page ", {PageIdOf(0), PageIdOf(1)}, "page");
    QTest::keySequence(&f, QKeySequence("Ctrl+R"));
    EXPECT_TRUE(f.SearchForm->isVisible());
    EXPECT_TRUE(f.SearchForm->Refining);
    EXPECT_FALSE(f.CheckBoxRemindMe->isChecked()) << "page 0 has no reminder, and Ctrl+R refined";
    f.SearchForm->hide();
    f.CloseQueryButton->click();

    // Ctrl+P ticks the password attribute, which asks for the password.
    QTest::keySequence(&f, QKeySequence("Ctrl+P"));
    EXPECT_TRUE(f.CheckBoxPassword->isChecked());
    EXPECT_TRUE(f.PwForm->isVisible());
    f.PwForm->Button2->click();  // Cancel
    EXPECT_FALSE(f.CheckBoxPassword->isChecked());
    auto* attributes = f.findChild<QMenu*>("PageAttributes1");
    ASSERT_NE(nullptr, attributes);
    EXPECT_EQ("Page Attributes", attributes->title());
    EXPECT_EQ((QList<QAction*>{f.Readonly1, f.MMenuPassword}), attributes->actions());

    // Ctrl+A in the editor adds a page; Select All stays on its menu item.
    f.SetModified(false);
    f.EditBox->setFocus();
    QTest::keyClick(f.EditBox, Qt::Key_A, Qt::ControlModifier);
    EXPECT_EQ("2", f.EditRecNum->text());
    EXPECT_EQ("", EditorText());
}

// Alt and a letter opens a menu of the menu bar; no button on show takes one of those keys.
TEST_F(WindowKeysTest, NoButtonTakesTheKeyOfAMenu) {
    WritePages({0});
    TMainForm& f = StartActive();
    f.OpenQuery("page ", {PageIdOf(0)}, "page");  // the query menu and toolbar too
    QList<QKeySequence> menuKeys;
    for (QAction* menu : f.menuBar()->actions())
        if (!menu->isSeparator()) menuKeys << QKeySequence::mnemonic(menu->text());
    ASSERT_TRUE(menuKeys.contains(QKeySequence("Alt+F")));
    for (QAbstractButton* button : f.findChildren<QAbstractButton*>()) {
        if (!button->isVisible() || button->shortcut().isEmpty()) continue;
        EXPECT_FALSE(menuKeys.contains(button->shortcut()))
            << button->objectName().toStdString() << " takes " << button->shortcut().toString().toStdString();
    }
    EXPECT_TRUE(f.FindButton->shortcut().isEmpty()) << "Adv. &Find shows only its icon";
    EXPECT_EQ(QKeySequence("Alt+Z"), f.ZapButton->shortcut()) << "Zap keeps its caption and its key";
}

// The query of due reminders, whether the prompt or start-up opened it, is a query like any
// other: its menu is there and its keys step, and reject.
TEST_F(WindowKeysTest, QueryMenuWorksInTheQueriesOfReminders) {
    for (const bool atStartUp : {true, false}) {
        SCOPED_TRACE(atStartUp ? "start-up reminder query" : "reminder prompt");
        std::filesystem::remove_all(dir.Path());
        std::filesystem::create_directories(dir.Path());
        // Start-up finds the reminders due by today, latest first; the prompt finds those
        // of the current time.
        const double halfPastTwo = kToday + 14.5 / 24;
        if (atStartUp)
            WritePages({kToday - 1, 0, kToday - 2, kToday - 3});
        else
            WritePages({halfPastTwo, 0, halfPastTwo, halfPastTwo});
        if (!atStartUp) clock.Set(kNow - 1);
        TMainForm& f = StartActive();
        if (!atStartUp) {
            ASSERT_FALSE(f.QueryMode());
            clock.Set(halfPastTwo);
            dialogs.Expect({}, ui::kButtonYes);
            f.ReminderTimerTimer();
        }
        ASSERT_TRUE(f.QueryMode());
        ASSERT_EQ(4u, f.QueryList.size());
        EXPECT_TRUE(f.QueryMenu->menuAction()->isVisible());
        EXPECT_EQ("page 0", EditorText());
        QTest::keyClick(&f, Qt::Key_F10);  // next occurrence: the next page, without highlighting
        EXPECT_EQ("page 2", EditorText());
        QTest::keyClick(&f, Qt::Key_F9);
        EXPECT_EQ("page 0", EditorText());
        QTest::keySequence(&f, QKeySequence("Ctrl+Alt+R"));
        EXPECT_EQ(3u, f.QueryList.size());
        EXPECT_EQ("page 2", EditorText());
        EXPECT_TRUE(dialogs.Done());
        form.reset();
    }
}

}  // namespace
}  // namespace jb::test
