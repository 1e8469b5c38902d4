// The help page: its table of keys and the window's keys are the same list, and the program's
// own help window closes with Escape.

#include <QAction>
#include <QRegularExpression>
#include <QTest>
#include <QTextDocumentFragment>
#include <map>

#include "workspace/main_form_fixture.h"
#include "workspace/system_desktop.h"

namespace jb::test {
namespace {

using workspace::TMainForm;

const std::string kHelpPage = std::string(JB_SOURCE_DIR_AT_BUILD) + "/assets/help/JotBase.html";

// The rows of the page's table of keys: key, command.
std::vector<std::pair<QKeySequence, QString>> TableOfKeys() {
    const QString page = QString::fromStdString(ReadFileBytes(kHelpPage));
    const qsizetype start = page.indexOf("<table id=\"keys\"");
    const qsizetype end = page.indexOf("</table>", start);
    EXPECT_GE(start, 0) << "the page has its table of keys";
    std::vector<std::pair<QKeySequence, QString>> rows;
    static const QRegularExpression row("<tr><td>([^<]*)</td><td>(.*?)</td></tr>");
    for (auto m = row.globalMatch(page.mid(start, end - start)); m.hasNext();) {
        const QRegularExpressionMatch r = m.next();
        rows.emplace_back(QKeySequence::fromString(r.captured(1), QKeySequence::PortableText),
                          QTextDocumentFragment::fromHtml(r.captured(2)).toPlainText());
    }
    return rows;
}

// An action's text as a menu shows it: without the underlined letter's marker and the dots.
QString ShownText(const QAction* a) {
    QString text = a->text();
    text.replace("&&", "\x01").remove('&').replace("\x01", "&").remove("...");
    return text;
}

// Every action of the window that has a key, in both states of the window (a query open or
// not, where Ctrl+R changes owner), is in the table with that key and its menu text, and every
// key of the table belongs to one of them.
TEST_F(MainFormTest, TheHelpPagesTableOfKeysIsTheWindowsKeys) {
    MakePages(1);
    TMainForm& f = Start();
    std::multimap<QString, const QAction*> actions;  // by key
    const auto collect = [&] {
        for (QAction* a : f.findChildren<QAction*>()) {
            auto* owner = qobject_cast<QWidget*>(a->parent());
            if (a->shortcut().isEmpty() || !owner || owner->window() != &f) continue;
            bool known = false;
            for (auto [it, end] = actions.equal_range(a->shortcut().toString()); it != end; ++it)
                known |= it->second == a;
            if (!known) actions.emplace(a->shortcut().toString(), a);
        }
    };
    collect();
    f.OpenQuery("page ", {PageIdOf(0)}, "page");
    collect();
    ASSERT_GT(actions.size(), 15u);

    const auto table = TableOfKeys();
    std::map<QString, QString> commands;
    for (const auto& [key, command] : table) {
        EXPECT_FALSE(key.isEmpty()) << command.toStdString();
        EXPECT_EQ(0u, commands.count(key.toString()))
            << "one row a key: " << key.toString().toStdString();
        commands[key.toString()] = command;
        EXPECT_TRUE(actions.count(key.toString()))
            << key.toString().toStdString() << " (" << command.toStdString()
            << ") belongs to no command of the window";
    }
    for (const auto& [key, action] : actions) {
        ASSERT_TRUE(commands.count(key))
            << key.toStdString() << " (" << action->objectName().toStdString()
            << ") is not in the help page's table of keys";
        EXPECT_TRUE(commands[key].contains(ShownText(action), Qt::CaseInsensitive))
            << key.toStdString() << ": '" << commands[key].toStdString() << "' does not name '"
            << ShownText(action).toStdString() << "'";
    }
}

// Without a browser the help opens in the program's own window; Escape closes it.
TEST(HelpWindowTest, ShowsTheContentsAndClosesWithEscape) {
    EnsureApplication();
    ui::THelpForm help;
    help.ShowContext(QString::fromStdString(kHelpPage), 10);
    ASSERT_TRUE(help.isVisible());
    EXPECT_TRUE(help.toPlainText().contains("Templates"));
    help.activateWindow();
    ASSERT_TRUE(QTest::qWaitForWindowActive(&help));
    QTest::keyClick(&help, Qt::Key_Escape);
    EXPECT_FALSE(help.isVisible());
}

}  // namespace
}  // namespace jb::test
