// The font dialog: it starts at the font and colour it is given and gives back what was chosen.

#include <QComboBox>
#include <QFontDatabase>
#include <QFontDialog>
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

}  // namespace
}  // namespace jb::editor
