// The font dialog: it starts at the font and colour it is given and gives back what was chosen.

#include <QComboBox>
#include <QFontDatabase>
#include <QApplication>
#include <QFontDialog>
#include <QListView>
#include <QTest>
#include <gtest/gtest.h>

#include "editor/editor_app.h"
#include "editor/font_form.h"

namespace jb::editor {
namespace {

TEST(FontForm, GivesTheChosenFontAndColour) {
    testing::EnsureApplication();
    TFontForm form;
    const QString family = QFontDatabase::families().value(0);
    ASSERT_FALSE(family.isEmpty()) << "no font installed";
    QFont font(family, 14);
    form.Propose(font, QColor(0x000080));
    EXPECT_EQ("Navy", form.FontColour->currentText());
    EXPECT_EQ(QColor(0x000080), form.ChosenColour());
    EXPECT_EQ(family, form.ChosenFont().family());
    EXPECT_EQ(14, form.ChosenFont().pointSize());

    form.FontColour->setCurrentIndex(form.FontColour->findText("Red"));
    EXPECT_EQ(QColor(Qt::red), form.ChosenColour());
    QFont bigger = form.Fonts->currentFont();
    bigger.setPointSize(20);
    form.Fonts->setCurrentFont(bigger);
    EXPECT_EQ(20, form.ChosenFont().pointSize());

    // A colour outside the sixteen is offered as the custom entry, once however often it comes.
    form.Propose(font, QColor(0x123456));
    form.Propose(font, QColor(0x654321));
    EXPECT_EQ("Custom", form.FontColour->currentText());
    EXPECT_EQ(QColor(0x654321), form.ChosenColour());
    EXPECT_EQ(17, form.FontColour->count());
}

// Escape in the font lists closes the Font dialog, not the chooser inside it; Enter chooses.
TEST(FontForm, EscapeAndEnterEndTheWholeDialog) {
    testing::EnsureApplication();
    TFontForm form;
    for (const int key : {Qt::Key_Escape, Qt::Key_Return}) {
        form.show();
        form.activateWindow();
        ASSERT_TRUE(QTest::qWaitForWindowActive(&form));
        form.Fonts->findChild<QListView*>()->setFocus();
        QTest::keyClick(QApplication::focusWidget(), static_cast<Qt::Key>(key));
        EXPECT_FALSE(form.isVisible()) << key;
        EXPECT_EQ(key == Qt::Key_Escape ? QDialog::Rejected : QDialog::Accepted, form.result());
        EXPECT_TRUE(form.Fonts->isVisibleTo(&form)) << "the chooser is there at the next show";
    }
}

}  // namespace
}  // namespace jb::editor
