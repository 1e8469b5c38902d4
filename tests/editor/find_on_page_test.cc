// Find on this page: the find position arithmetic, down and up, through the dialog.

#include "editor/find_on_page.h"

#include <gtest/gtest.h>

#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QTextEdit>
#include <memory>

#include "editor/editor_app.h"

namespace jb::editor {
namespace {

TEST(FindOnPage, SearchesFromThePositionIgnoringCase) {
    const QString text = "cat dog catcat Cat.";
    const struct {
        const char* what;
        int from;
        bool down;
        std::optional<int> found;
    } rows[] = {
        {"cat", 0, true, 0},   {"cat", 1, true, 8},    {"CAT", 12, true, 15},
        {"cat", 16, true, {}}, {"cat", 19, false, 15}, {"cat", 14, false, 11},
        {"cat", 7, false, 0},  {"cat", -4, false, {}}, {"dog", 0, false, {}},
        {"", 0, true, {}},     {"cat", 20, true, {}},  {"t.", 0, true, 17},
    };
    for (const auto& r : rows)
        EXPECT_EQ(FindOnPage(text, r.what, r.from, r.down), r.found)
            << r.what << " from " << r.from << " " << r.down;
}

TEST(FindOnPage, NextPositionSkipsOneCharacter) {
    EXPECT_EQ(NextFindPosition(8, 3, true), 12);
    EXPECT_EQ(NextFindPosition(15, 3, false), 11);
    EXPECT_EQ(NextFindPosition(0, 3, false), -4);
}

class FindDialogTest : public ::testing::Test {
  protected:
    static void SetUpTestSuite() { testing::EnsureApplication(); }
    void SetUp() override {
        window = std::make_unique<QWidget>();
        editor = new QTextEdit(window.get());
        editor->setPlainText("cat dog catcat\nCat.");
        finder = new PageFinder(editor, window.get());
    }

    std::unique_ptr<QWidget> window;
    QTextEdit* editor = nullptr;
    PageFinder* finder = nullptr;
};

TEST_F(FindDialogTest, FindsDownThenUpSkippingTouchingOccurrences) {
    finder->Dialog()->FindText->setText("old text");
    finder->Findinthisrecord1Click();
    EXPECT_TRUE(finder->Dialog()->isVisible());
    EXPECT_FALSE(finder->Dialog()->isModal());
    EXPECT_TRUE(finder->Dialog()->FindText->text().isEmpty());
    finder->Dialog()->FindText->setText("cat");
    // Each row: the direction, then the selection start (-1: unchanged) and the find position.
    const struct {
        bool up;
        int selected;
        int position;
    } steps[] = {
        {false, 0, 4},   {false, 8, 12},                  // 11 touches the match at 8: skipped
        {false, 15, 19}, {false, -1, 19},                 // nothing more: nothing changes
        {true, 15, 11},  {true, 11, 7},   {true, 0, -4},  // 8 touches 11: skipped
        {true, -1, -4},
    };
    int lastSelected = -1;
    for (const auto& s : steps) {
        finder->Dialog()->FindUp->setChecked(s.up);
        finder->Dialog()->FindDown->setChecked(!s.up);
        finder->Dialog()->FindNextButton->click();
        const int expected = s.selected >= 0 ? s.selected : lastSelected;
        EXPECT_EQ(editor->textCursor().selectionStart(), expected) << s.up << " " << s.position;
        EXPECT_EQ(editor->textCursor().selectedText().toLower(), "cat");
        EXPECT_EQ(finder->FindPosition(), s.position);
        lastSelected = expected;
    }
}

TEST_F(FindDialogTest, OpeningAgainStartsFromTheTop) {
    finder->Findinthisrecord1Click();
    finder->Dialog()->FindText->setText("dog");
    finder->FindDialog1Find();
    EXPECT_EQ(finder->FindPosition(), 8);
    finder->Findinthisrecord1Click();
    EXPECT_EQ(finder->FindPosition(), 0);
}

TEST_F(FindDialogTest, NothingFoundLeavesTheSelection) {
    QTextCursor c = editor->textCursor();
    c.setPosition(2);
    editor->setTextCursor(c);
    finder->Findinthisrecord1Click();
    finder->Dialog()->FindText->setText("bird");
    finder->FindDialog1Find();
    EXPECT_EQ(editor->textCursor().position(), 2);
    EXPECT_FALSE(editor->textCursor().hasSelection());
    EXPECT_EQ(finder->FindPosition(), 0);
}

}  // namespace
}  // namespace jb::editor
