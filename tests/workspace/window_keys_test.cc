// The window's shortcuts: no key is bound to two live commands, the keys that change owner with
// query mode reach the right command, and the query menu works in every kind of query.

#include <QAction>
#include <QApplication>
#include <QCheckBox>
#include <QSignalSpy>
#include <QToolBar>
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
    EXPECT_EQ("Page Attri&butes", attributes->title());
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

// The control Tab stops at that holds the focus (a date box, not the line edit inside it).
QWidget* FocusedControl(QWidget* window) {
    QWidget* w = QApplication::focusWidget();
    while (w && w->parentWidget() && w->parentWidget() != window && (w->parentWidget()->focusPolicy() & Qt::TabFocus))
        w = w->parentWidget();
    return w;
}

QString NameOf(const QWidget* w) { return w ? w->objectName() : "(nothing)"; }

// Tab types a tab in the page; Ctrl+Tab and Ctrl+Shift+Tab leave it, and Tab then goes through
// the window as it is read: row by row from the top, each row from the left, the page last.
TEST_F(WindowKeysTest, FocusLeavesThePageByKeysAndTabFollowsTheLayout) {
    WritePages({0, 0});
    TMainForm& f = StartActive();
    f.EditBox->setFocus();
    QTest::keyClick(f.EditBox, Qt::Key_Tab);
    EXPECT_EQ(f.EditBox, FocusedControl(&f));
    EXPECT_EQ("\tpage 0", EditorText());

    QTest::keyClick(f.EditBox, Qt::Key_Tab, Qt::ControlModifier);
    EXPECT_EQ("\tpage 0", EditorText()) << "Ctrl+Tab types nothing";
    QList<QWidget*> visited;
    for (QWidget* w = FocusedControl(&f); w && w != f.EditBox && visited.size() < 100; w = FocusedControl(&f)) {
        ASSERT_FALSE(visited.contains(w)) << "Tab came back to " << NameOf(w).toStdString();
        visited << w;
        QTest::keyClick(QApplication::focusWidget(), Qt::Key_Tab);
    }
    ASSERT_EQ(f.EditBox, FocusedControl(&f)) << "Tab goes round to the page";
    QStringList names;
    for (QWidget* w : visited) names << NameOf(w);
    // Reading order: each control lies on a lower row than the one before, or on the same row
    // to its right.
    for (int i = 1; i < visited.size(); ++i) {
        const QRect a(visited[i - 1]->mapTo(&f, QPoint(0, 0)), visited[i - 1]->size());
        const QRect b(visited[i]->mapTo(&f, QPoint(0, 0)), visited[i]->size());
        const bool lowerRow = b.top() >= a.bottom();
        const bool sameRowRight = b.top() < a.bottom() && a.top() < b.bottom() && b.left() >= a.right();
        EXPECT_TRUE(lowerRow || sameRowRight) << NameOf(visited[i - 1]).toStdString() << " then "
                                              << NameOf(visited[i]).toStdString() << " in " << names.join(" ").toStdString();
    }
    for (QWidget* w : {static_cast<QWidget*>(f.EditRecNum), static_cast<QWidget*>(f.GoButton),
                       static_cast<QWidget*>(f.PasteButton), f.findChild<QWidget*>("FontSize"),
                       f.findChild<QWidget*>("FontColour"),
                       static_cast<QWidget*>(f.CheckBoxReadOnly), static_cast<QWidget*>(f.EditSearchTerm),
                       static_cast<QWidget*>(f.FindButton)})
        EXPECT_TRUE(visited.contains(w)) << NameOf(w).toStdString() << " not in " << names.join(" ").toStdString();
    EXPECT_FALSE(visited.contains(f.ButtonDown)) << "disabled on page 0";

    QTest::keyClick(f.EditBox, Qt::Key_Backtab, Qt::ControlModifier | Qt::ShiftModifier);
    EXPECT_EQ(visited.back(), FocusedControl(&f)) << "Ctrl+Shift+Tab goes back";
    QTest::keyClick(QApplication::focusWidget(), Qt::Key_Backtab, Qt::ShiftModifier);
    EXPECT_EQ(visited[visited.size() - 2], FocusedControl(&f)) << "and Shift+Tab on";
    EXPECT_EQ("\tpage 0", EditorText());
}

// The page number box and the search term box are one key away from anywhere, the search box
// with its toolbar when that was hidden.
TEST_F(WindowKeysTest, KeysReachThePageNumberAndTheSearchBoxes) {
    WritePages({0, 0});
    TMainForm& f = StartActive();
    f.EditBox->setFocus();
    QTest::keyClick(f.EditBox, Qt::Key_G, Qt::ControlModifier);
    EXPECT_EQ(f.EditRecNum, FocusedControl(&f));
    EXPECT_EQ("0", f.EditRecNum->selectedText()) << "typing replaces the number";
    f.ToolBarSearch->hide();
    QTest::keyClick(f.EditRecNum, Qt::Key_F, Qt::ControlModifier | Qt::ShiftModifier);
    EXPECT_EQ(f.EditSearchTerm, FocusedControl(&f));
    EXPECT_TRUE(f.ToolBarSearch->isVisible());
    EXPECT_TRUE(f.Searchdata1->isChecked());
    EXPECT_EQ("0", f.EditRecNum->text());
    EXPECT_FALSE(f.Modified());
}

// Every item of every menu of the window has a key of its own in its menu, so Alt and letters
// reach it; the field jump is on the Page menu and its letters reach it.
// Items whose letters the program has always had, although another item of their menu has the
// same one ("&Open Database" and "&Options", "&Export pages(s)" and "&Exit without Updating",
// "&Copy" and "&Check Spelling", "&Add Page" and "Select &All"): users know them by those letters,
// and the letter pressed again moves on to the second item.
const QStringList kLettersSharedOfOld = {"&Options", "&Exit without Updating", "&Check Spelling", "Select &All"};

TEST_F(WindowKeysTest, EveryMenuItemHasAMnemonicOfItsOwn) {
    WritePages({0});
    TMainForm& f = StartActive();
    f.OpenQuery("page ", {PageIdOf(0)}, "page");  // the query menu too
    QList<QPair<QString, QList<QAction*>>> menus = {{"menu bar", f.menuBar()->actions()}};
    for (QMenu* menu : f.findChildren<QMenu*>())
        if (menu->parent() == &f || qobject_cast<QMenu*>(menu->parent()) || menu->parent() == f.menuBar())
            menus.append({menu->objectName() + " " + menu->title(), menu->actions()});
    int items = 0;
    for (const auto& [where, actions] : menus) {
        std::map<QString, QString> keys;
        for (QAction* a : actions) {
            if (a->isSeparator() || !a->isVisible()) continue;
            ++items;
            const QString key = QKeySequence::mnemonic(a->text()).toString();
            EXPECT_FALSE(key.isEmpty()) << where.toStdString() << ": '" << a->text().toStdString() << "' has no key";
            if (key.isEmpty()) continue;
            if (keys.count(key) && (kLettersSharedOfOld.contains(a->text()) || kLettersSharedOfOld.contains(keys[key])))
                continue;
            EXPECT_EQ(0u, keys.count(key)) << where.toStdString() << ": " << key.toStdString() << " for '"
                                           << keys[key].toStdString() << "' and '" << a->text().toStdString() << "'";
            keys[key] = a->text();
        }
    }
    EXPECT_GT(items, 60) << "every menu was walked";
    EXPECT_TRUE(f.PageMenu->actions().contains(f.GotoNextField1));
    f.CloseQueryButton->click();

    QSignalSpy fieldJump(f.GotoNextField1, &QAction::triggered);
    QTest::keyClick(&f, Qt::Key_P, Qt::AltModifier);
    QTRY_VERIFY(f.PageMenu->isVisible());
    QTest::keyClick(f.PageMenu, Qt::Key_F);
    EXPECT_EQ(1, fieldJump.count());
    EXPECT_FALSE(f.PageMenu->isVisible());
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
