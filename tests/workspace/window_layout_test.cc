// The window's look at its first size and at a common screen size: every toolbar control on
// show (none behind an overflow button), and the arrangement of the toolbars kept between starts.

#include <QApplication>
#include <QLabel>
#include <QLineEdit>
#include <QToolBar>
#include <QToolButton>

#include "workspace/main_form_fixture.h"

namespace jb::test {
namespace {

using workspace::TMainForm;

// The controls of the shown toolbars that are not on show, by toolbar and object name.
QStringList HiddenControls(TMainForm& f) {
    QApplication::processEvents();
    QStringList hidden;
    for (QToolBar* bar : f.findChildren<QToolBar*>()) {
        if (bar->isHidden()) continue;
        for (QAction* a : bar->actions()) {
            QWidget* w = bar->widgetForAction(a);
            if (w && !w->isVisible()) hidden << bar->objectName() + "/" + w->objectName();
        }
        for (auto* extension : bar->findChildren<QToolButton*>("qt_toolbar_ext_button"))
            if (extension->isVisible()) hidden << bar->objectName() + " overflows";
    }
    return hidden;
}

TEST_F(MainFormTest, EveryToolbarControlIsOnShowAtTheFirstSizeAndAtAScreensSize) {
    MakePages(2);
    TMainForm& f = Start();
    ASSERT_EQ(QSize(638, 312), f.size()) << "the first size of the window";
    EXPECT_EQ(QStringList(), HiddenControls(f));
    f.OpenQuery("page ", {"0000000A", "0000000B"}, "page");
    ASSERT_TRUE(f.QueryMode());
    EXPECT_EQ(QStringList(), HiddenControls(f)) << "with the query toolbar";
    f.resize(1280, 800);
    EXPECT_EQ(QStringList(), HiddenControls(f)) << "at 1280 x 800";
}

// Every toolbar button shows an icon (the program's own set stands in for a missing desktop
// theme), and keeps its text as its tooltip and its accessible name.
TEST_F(MainFormTest, ToolbarButtonsShowIconsAndKeepTheirTexts) {
    TMainForm& f = Start();
    int buttons = 0;
    for (QToolBar* bar : f.findChildren<QToolBar*>()) {
        for (QAction* a : bar->actions()) {
            auto* button = qobject_cast<QToolButton*>(bar->widgetForAction(a));
            if (!button) continue;
            ++buttons;
            const std::string name = button->objectName().toStdString();
            EXPECT_FALSE(button->icon().isNull()) << name;
            EXPECT_FALSE(button->toolTip().isEmpty()) << name;
            EXPECT_FALSE(button->accessibleName().isEmpty()) << name;
        }
    }
    EXPECT_EQ(32, buttons) << "every button of the six toolbars";
    EXPECT_EQ("Cut", f.CutButton->accessibleName());
    EXPECT_EQ("Cut", f.CutButton->toolTip());
    EXPECT_EQ("Update This record", f.UpdateButton->toolTip()) << "a hint of its own stays";
    EXPECT_EQ(Qt::ToolButtonTextBesideIcon, f.ZapButton->toolButtonStyle()) << "Zap shows Zap or Restore";
    EXPECT_FALSE(f.Contents1->icon().isNull()) << "menu items have icons too";
}

// The user's arrangement of the toolbars comes back at the next start; a settings file written
// before toolbars could be moved, or a damaged arrangement, gives the program's own rows.
TEST_F(MainFormTest, TheToolbarArrangementIsKeptBetweenStarts) {
    MakePages(1);
    TMainForm& f = Start();
    const QList<QToolBar*> firstRows = {f.ToolBarDatabase, f.ToolBarFormatting, f.ToolBarAttributes, f.ToolBarSearch};
    for (QToolBar* bar : firstRows) EXPECT_TRUE(f.toolBarBreak(bar) || bar == f.ToolBarDatabase) << bar->objectName().toStdString();
    EXPECT_FALSE(f.toolBarBreak(f.ToolBarEditing)) << "Editing shares the first row";
    // The user moves the Search toolbar to the bottom edge.
    f.removeToolBar(f.ToolBarSearch);
    f.addToolBar(Qt::BottomToolBarArea, f.ToolBarSearch);
    f.ToolBarSearch->show();
    f.close();
    const std::string ini = ReadFileBytes(dir.File("JotBase.ini"));
    ASSERT_NE(std::string::npos, ini.find("ToolbarArrangement=")) << ini;
    form.reset();

    TMainForm& again = Start();
    EXPECT_EQ(Qt::BottomToolBarArea, again.toolBarArea(again.ToolBarSearch));
    EXPECT_TRUE(again.ToolBarSearch->isVisible());
    EXPECT_FALSE(again.ToolBarQuery->isVisible()) << "no query is open";
    form.reset();

    for (const char* value : {"", "not base64 at all", "AAAA"}) {
        SCOPED_TRACE(value);
        WriteSettings(std::string("[mwind]\r\nToolbarArrangement=") + value + "\r\n");
        TMainForm& plain = Start();
        EXPECT_EQ(Qt::TopToolBarArea, plain.toolBarArea(plain.ToolBarSearch));
        EXPECT_TRUE(plain.toolBarBreak(plain.ToolBarFormatting));
        EXPECT_EQ(QStringList(), HiddenControls(plain));
        form.reset();
    }
}

// A new data set shows its first page's dates from the start; the status panels and the search
// box keep their sizes when pages are shown and when the Query toolbar joins the search row.
TEST_F(MainFormTest, StatusPanelsAndTheSearchBoxKeepTheirTextsAndSizes) {
    const auto sizes = [this] {
        QApplication::processEvents();
        QList<int> widths = {form->EditSearchTerm->width()};
        for (int i = 1; i < 4; ++i) widths << form->findChild<QLabel*>(QString("StatusPanel%1").arg(i))->width();
        return widths;
    };
    TMainForm& empty = Start();
    EXPECT_EQ("Created: " + empty.ShortDate(kToday), empty.PanelText(2)) << "a new data set";
    EXPECT_EQ("Modified: " + empty.ShortDate(kToday), empty.PanelText(3));
    const QList<int> first = sizes();
    EXPECT_GE(first[0], empty.EditSearchTerm->fontMetrics().horizontalAdvance("\"black cat\" and not dog and comp*"))
        << "room for a query of a few words";
    form.reset();

    MakePages(2);
    TMainForm& f = Start();
    EXPECT_EQ("Created: " + f.ShortDate(44000), f.PanelText(2));
    EXPECT_EQ(first, sizes()) << "search box, then panels 1 to 3, on a page";
    f.OpenQuery("page ", {"0000000A", "0000000B"}, "page");
    ASSERT_TRUE(f.ToolBarQuery->isVisible());
    EXPECT_EQ(first, sizes()) << "with the Query toolbar";
    EXPECT_EQ(QStringList(), HiddenControls(f));
}

}  // namespace
}  // namespace jb::test
