// The formatting toolbar follows the selection without changing the text, and its commands act
// on the selection or, with nothing selected, on the format new typing takes.

#include <gtest/gtest.h>

#include <QComboBox>
#include <QFontDatabase>
#include <QFontInfo>
#include <QLineEdit>
#include <QTest>
#include <QTextBlock>
#include <QTextCursor>
#include <QTextEdit>
#include <QToolBar>
#include <QToolButton>
#include <memory>

#include "editor/editor_app.h"
#include "editor/editor_front.h"

namespace jb::editor {
namespace {

class FormattingBarTest : public ::testing::Test {
  protected:
    static void SetUpTestSuite() { testing::EnsureApplication(); }

    void SetUp() override {
        window = std::make_unique<QWidget>();
        editor = new QTextEdit(window.get());
        bar = new QToolBar(window.get());
        front = new EditorFront(editor, bar, nullptr, window.get(),
                                [this](const QString& t) { panel = t; });
        editor->document()->setDefaultFont(QFont(QFontDatabase::families().front(), 12));
    }

    // Appends `text` in format `f`; returns the position of its first character.
    int Append(const QString& text, const QTextCharFormat& f = {}) {
        QTextCursor c(editor->document());
        c.movePosition(QTextCursor::End);
        const int at = c.position();
        c.insertText(text, f);
        return at;
    }

    void PutCaret(int position) {
        QTextCursor c = editor->textCursor();
        c.setPosition(position);
        editor->setTextCursor(c);
    }

    void Select(int from, int to) {
        QTextCursor c = editor->textCursor();
        c.setPosition(from);
        c.setPosition(to, QTextCursor::KeepAnchor);
        editor->setTextCursor(c);
    }

    QTextCharFormat FormatAt(int position) {
        QTextCursor c(editor->document());
        c.setPosition(position + 1);
        return c.charFormat();
    }

    FormattingBar& Bar() { return front->Formatting(); }

    std::unique_ptr<QWidget> window;
    QTextEdit* editor = nullptr;
    QToolBar* bar = nullptr;
    EditorFront* front = nullptr;
    QString panel;
};

TEST_F(FormattingBarTest, ControlsStartAsDescribed) {
    EXPECT_EQ(Bar().FontSize->currentText(), "12");
    ASSERT_EQ(Bar().FontSize->count(), 14);
    EXPECT_EQ(Bar().FontSize->itemText(0), "6");
    EXPECT_EQ(Bar().FontSize->itemText(13), "80");
    EXPECT_EQ(Bar().FontName->count(), QFontDatabase::families().size());
    EXPECT_TRUE(Bar().AlignLeftButton->isChecked());
    EXPECT_EQ(Bar().AlignLeftButton->toolTip(), "Left Justify");
    for (const char* name :
         {"FontName", "FontSize", "FontColour", "BoldButton", "ItalicButton", "UnderlineButton",
          "AlignLeftButton", "AlignCenterButton", "AlignRightButton", "SpeedButton7"})
        EXPECT_NE(bar->findChild<QWidget*>(name), nullptr) << name;
}

// Each row: a character format, and the three buttons the caret inside it puts down.
struct StyleCase {
    const char* name;
    std::function<void(QTextCharFormat&)> set;
    bool bold, italic, underline;
};

TEST_F(FormattingBarTest, ButtonsFollowTheCharacterFormatAtTheCaret) {
    const StyleCase cases[] = {
        {"plain", [](QTextCharFormat&) {}, false, false, false},
        {"bold", [](QTextCharFormat& f) { f.setFontWeight(QFont::Bold); }, true, false, false},
        {"italic", [](QTextCharFormat& f) { f.setFontItalic(true); }, false, true, false},
        {"single underline",
         [](QTextCharFormat& f) { f.setUnderlineStyle(QTextCharFormat::SingleUnderline); }, false,
         false, true},
        {"dotted underline",
         [](QTextCharFormat& f) { f.setUnderlineStyle(QTextCharFormat::DotLine); }, false, false,
         false},
        {"all three",
         [](QTextCharFormat& f) {
             f.setFontWeight(QFont::Bold);
             f.setFontItalic(true);
             f.setFontUnderline(true);
         },
         true, true, true},
    };
    std::vector<int> starts;
    for (const StyleCase& c : cases) {
        QTextCharFormat f;
        c.set(f);
        starts.push_back(Append("word", f));
        Append(" ");
    }
    const int steps = editor->document()->availableUndoSteps();
    // Visit in both orders, so that every row is reached from a different format.
    for (int round = 0; round < 2; ++round) {
        for (std::size_t k = 0; k < std::size(cases); ++k) {
            const std::size_t i = round == 0 ? k : std::size(cases) - 1 - k;
            PutCaret(starts[i] + 2);
            EXPECT_EQ(Bar().BoldButton->isChecked(), cases[i].bold) << cases[i].name;
            EXPECT_EQ(Bar().ItalicButton->isChecked(), cases[i].italic) << cases[i].name;
            EXPECT_EQ(Bar().UnderlineButton->isChecked(), cases[i].underline) << cases[i].name;
        }
    }
    EXPECT_EQ(editor->document()->availableUndoSteps(), steps);
    EXPECT_FALSE(Bar().Synchronising());
}

TEST_F(FormattingBarTest, ListsFollowFontSizeAndColourWithoutChangingTheText) {
    const QStringList families = QFontDatabase::families();
    ASSERT_GE(families.size(), 2);
    const QString other = families.back();
    QTextCharFormat fancy;
    fancy.setFontFamilies(QStringList{other.toLower()});  // names match whatever their case
    fancy.setFontPointSize(18);
    fancy.setForeground(QColor(Qt::red));
    const int plainAt = Append("plain ");
    const int fancyAt = Append("fancy", fancy);
    QTextCharFormat odd;
    odd.setForeground(QColor(0x12, 0x34, 0x56));
    const int oddAt = Append(" odd", odd);
    editor->document()->setModified(false);

    PutCaret(fancyAt + 2);
    EXPECT_EQ(Bar().FontName->currentText(), other);
    EXPECT_EQ(Bar().FontSize->currentText(), "18");
    EXPECT_EQ(Bar().FontColour->currentText(), "Red");

    PutCaret(plainAt + 2);
    EXPECT_EQ(Bar().FontName->currentText(), families.front());
    EXPECT_EQ(Bar().FontSize->currentText(), "12");
    EXPECT_EQ(Bar().FontColour->currentData().value<QColor>(),
              editor->palette().color(QPalette::Text));

    PutCaret(oddAt + 3);
    EXPECT_EQ(Bar().FontColour->currentData().value<QColor>(), QColor(0x12, 0x34, 0x56));

    // A selection across all three shows the first character's format and changes none.
    Select(plainAt + 1, oddAt + 3);
    EXPECT_EQ(Bar().FontName->currentText(), families.front());
    EXPECT_EQ(FamilyOf(*editor, FormatAt(fancyAt)).toUpper(), other.toUpper());
    EXPECT_EQ(ColourOf(*editor, FormatAt(oddAt + 1)), QColor(0x12, 0x34, 0x56));
    EXPECT_EQ(ColourOf(*editor, FormatAt(fancyAt)), QColor(Qt::red));

    // The synchronisation changed the lists but none of it reached the text.
    EXPECT_FALSE(editor->document()->isModified());
    EXPECT_EQ(ColourOf(*editor, FormatAt(plainAt)), editor->palette().color(QPalette::Text));
    EXPECT_EQ(FormatAt(fancyAt).fontPointSize(), 18);
}

TEST_F(FormattingBarTest, AlignmentButtonsFollowTheParagraph) {
    // Paragraph alignments and the button each puts down; justified leaves them as they were.
    const struct {
        Qt::Alignment align;
        QToolButton* FormattingBar::*button;
    } rows[] = {{Qt::AlignHCenter, &FormattingBar::AlignCenterButton},
                {Qt::AlignRight, &FormattingBar::AlignRightButton},
                {Qt::AlignJustify, &FormattingBar::AlignRightButton},
                {Qt::AlignLeft, &FormattingBar::AlignLeftButton},
                {Qt::AlignJustify, &FormattingBar::AlignLeftButton}};
    QTextCursor c(editor->document());
    std::vector<int> at;
    for (std::size_t i = 0; i < std::size(rows); ++i) {
        if (i > 0) c.insertBlock();
        QTextBlockFormat f;
        f.setAlignment(rows[i].align);
        c.setBlockFormat(f);
        at.push_back(c.position());
        c.insertText("text");
    }
    for (std::size_t i = 0; i < std::size(rows); ++i) {
        PutCaret(at[i] + 1);
        EXPECT_TRUE((Bar().*rows[i].button)->isChecked()) << i;
    }
}

TEST_F(FormattingBarTest, AlignmentButtonsSetTheSelectedParagraphs) {
    Append("one");
    QTextCursor c(editor->document());
    c.movePosition(QTextCursor::End);
    c.insertBlock();
    c.insertText("two");
    c.insertBlock();
    c.insertText("three");
    Select(1, 5);  // "one" and "two"
    Bar().AlignRightButton->click();
    const QTextBlock first = editor->document()->begin();
    EXPECT_EQ(AlignmentOf(first.blockFormat().alignment()), Alignment::kRight);
    EXPECT_EQ(AlignmentOf(first.next().blockFormat().alignment()), Alignment::kRight);
    EXPECT_EQ(AlignmentOf(first.next().next().blockFormat().alignment()), Alignment::kLeft);
    Bar().SpeedButton7->click();
    EXPECT_EQ(AlignmentOf(first.blockFormat().alignment()), Alignment::kJustify);
    Bar().AlignCenterButton->click();
    EXPECT_EQ(AlignmentOf(first.next().blockFormat().alignment()), Alignment::kCentre);
}

TEST_F(FormattingBarTest, BoldWithASelectionChangesOnlyTheSelection) {
    Append("abcdef");
    Select(1, 3);
    Bar().BoldButton->click();
    EXPECT_TRUE(Bar().BoldButton->isChecked());
    for (int i = 0; i < 6; ++i)
        EXPECT_EQ(FormatAt(i).fontWeight() >= QFont::DemiBold, i == 1 || i == 2) << i;
    Select(0, 6);  // mixed: the first character decides, and it is not bold
    EXPECT_FALSE(Bar().BoldButton->isChecked());
}

TEST_F(FormattingBarTest, BoldWithoutASelectionIsTakenByNewTyping) {
    Append("abc");
    PutCaret(3);
    Bar().BoldButton->click();
    editor->textCursor().insertText("XY");
    EXPECT_EQ(editor->toPlainText(), "abcXY");
    for (int i = 0; i < 5; ++i) EXPECT_EQ(FormatAt(i).fontWeight() >= QFont::DemiBold, i >= 3) << i;
    Bar().ItalicButton->click();
    Bar().UnderlineButton->click();
    editor->textCursor().insertText("Z");
    EXPECT_TRUE(FormatAt(5).fontItalic());
    EXPECT_EQ(FormatAt(5).underlineStyle(), QTextCharFormat::SingleUnderline);
    EXPECT_FALSE(FormatAt(4).fontItalic());
}

TEST_F(FormattingBarTest, FontSizeTypedOrChosenSetsTheSelection) {
    Append("abcdef");
    Select(0, 2);
    Bar().FontSize->lineEdit()->setText("22");
    emit Bar().FontSize->textActivated("22");
    EXPECT_EQ(FormatAt(0).fontPointSize(), 22);
    EXPECT_EQ(FormatAt(1).fontPointSize(), 22);
    EXPECT_NE(FormatAt(2).fontPointSize(), 22);
}

TEST_F(FormattingBarTest, FontSizeThatIsNotAnIntegerIsAConversionError) {
    Append("abcdef");
    Select(0, 2);
    QStringList errors;
    QObject::connect(front, &EditorFront::ConversionError, [&](const QString& m) { errors << m; });
    Bar().FontSize->lineEdit()->setText("1x");
    emit Bar().FontSize->textActivated("1x");
    EXPECT_EQ(errors, QStringList{"'1x' is not a valid integer value"});
    EXPECT_NE(FormatAt(0).fontPointSize(), 1);
    EXPECT_EQ(PointSizeOf(*editor, FormatAt(0)), 12);
}

// Each row: what is typed into the size box before Enter, the size the selection then has and
// the conversion error shown.
TEST_F(FormattingBarTest, FontSizeTypedIntoTheBoxSetsTheSelection) {
    const struct {
        const char* typed;
        int points;
        const char* error;
    } rows[] = {{"15", 15, nullptr},
                {"1", 1, nullptr},
                {"22", 22, nullptr},
                {"abc", 22, "'abc' is not a valid integer value"},
                {"9.5", 22, "'9.5' is not a valid integer value"},
                {"13", 13, nullptr}};
    Append("Hello world");
    QStringList errors;
    QObject::connect(front, &EditorFront::ConversionError, [&](const QString& m) { errors << m; });
    for (const auto& r : rows) {
        SCOPED_TRACE(r.typed);
        errors.clear();
        Select(0, 5);
        // Into the box, over what it shows, as a user does it.
        QTest::keyClick(Bar().FontSize, Qt::Key_A, Qt::ControlModifier);
        QTest::keyClicks(Bar().FontSize, r.typed);
        QTest::keyClick(Bar().FontSize, Qt::Key_Return);
        const QStringList expected = r.error ? QStringList{r.error} : QStringList{};
        EXPECT_EQ(expected, errors);
        for (int i = 0; i < 5; ++i) EXPECT_EQ(PointSizeOf(*editor, FormatAt(i)), r.points) << i;
        EXPECT_EQ(PointSizeOf(*editor, FormatAt(6)), 12) << "outside the selection";
    }
}

TEST_F(FormattingBarTest, PassingThroughTheSizeBoxChangesNoSize) {
    QTextCharFormat small, large;
    small.setFontPointSize(10);
    large.setFontPointSize(14);
    Append("Hello", small);
    Append(" world", large);
    window->show();
    window->activateWindow();
    ASSERT_TRUE(QTest::qWaitForWindowActive(window.get()));
    Select(0, 11);
    ASSERT_EQ("10", Bar().FontSize->currentText()) << "the box shows the selection's first size";
    // Into the box and out again, typing nothing.
    Bar().FontSize->setFocus(Qt::TabFocusReason);
    editor->setFocus(Qt::MouseFocusReason);
    QApplication::processEvents();
    EXPECT_EQ(10, PointSizeOf(*editor, FormatAt(0)));
    EXPECT_EQ(14, PointSizeOf(*editor, FormatAt(7))) << "the rest of the selection keeps its size";
}

TEST_F(FormattingBarTest, FontNameAndColourChosenSetTheSelection) {
    Append("abcdef");
    Select(2, 4);
    const int last = Bar().FontName->count() - 1;
    Bar().FontName->setCurrentIndex(last);
    Bar().FontColour->setCurrentIndex(Bar().FontColour->findText("Blue"));
    EXPECT_EQ(FamilyOf(*editor, FormatAt(2)), Bar().FontName->itemText(last));
    EXPECT_EQ(ColourOf(*editor, FormatAt(3)), QColor(Qt::blue));
    EXPECT_NE(ColourOf(*editor, FormatAt(4)), QColor(Qt::blue));
}

// A family that is not installed (the default Arial on a Debian desktop) shows in the list as the
// family drawn in its place, and the text keeps the family it names.
TEST_F(FormattingBarTest, AFamilyNotInstalledShowsAsItsSubstitute) {
    const QString missing = "Quorvane Missing Sans";
    ASSERT_FALSE(QFontDatabase::hasFamily(missing));
    QTextCharFormat f;
    f.setFontFamilies(QStringList{missing});
    Append("abc", f);
    Select(1, 2);
    const QString shown = Bar().FontName->currentText();
    EXPECT_FALSE(shown.isEmpty());
    EXPECT_EQ(QFontInfo(QFont(missing)).family(), shown);
    EXPECT_EQ(missing, FamilyOf(*editor, FormatAt(1))) << "the text keeps its family";
    const QString installed = Bar().FontName->itemText(0);
    EXPECT_EQ(installed, InstalledFamily(installed));
}

// Each row: the selection, the panel text, and whether Copy and Cut are enabled.
TEST_F(FormattingBarTest, CaretPositionAndClipboardControls) {
    QToolButton copy, cut;
    front->Caret().SetClipboardControls({&copy, &cut});
    Append("first line");
    QTextCursor c(editor->document());
    c.movePosition(QTextCursor::End);
    c.insertBlock();
    c.insertText("second");
    const struct {
        int from, to;
        const char* text;
        bool enabled;
    } rows[] = {{0, 0, "Ln:   1  Col:   1", false},   {4, 4, "Ln:   1  Col:   5", false},
                {13, 13, "Ln:   2  Col:   3", false}, {13, 15, "Ln:   2  Col:   3", true},
                {15, 2, "Ln:   1  Col:   3", true},   {17, 17, "Ln:   2  Col:   7", false}};
    for (const auto& r : rows) {
        Select(r.from, r.to);
        EXPECT_EQ(panel, r.text) << r.from << "," << r.to;
        EXPECT_EQ(copy.isEnabled(), r.enabled) << r.from << "," << r.to;
        EXPECT_EQ(cut.isEnabled(), r.enabled) << r.from << "," << r.to;
    }
}

TEST_F(FormattingBarTest, WrappedLinesCountAsLines) {
    window->resize(220, 300);
    editor->resize(200, 300);
    window->show();
    Append(QString("word ").repeated(40));
    editor->document()->adjustSize();
    QApplication::processEvents();
    const QTextLayout* layout = editor->document()->begin().layout();
    ASSERT_GE(layout->lineCount(), 3);
    const int third = layout->lineAt(2).textStart();
    PutCaret(third + 1);
    EXPECT_EQ(panel, "Ln:   3  Col:   2");
    EXPECT_EQ(LineColumnAt(*editor->document(), third), (LineColumn{2, 0}));
}

TEST_F(FormattingBarTest, TheRulerFollowsTheCaretThroughTheFront) {
    Ruler ruler;
    ruler.resize(629, Ruler::kHeight);
    EditorFront withRuler(editor, bar, &ruler, window.get(), {});
    Append("plain");
    QTextCursor c(editor->document());
    c.movePosition(QTextCursor::End);
    c.insertBlock();
    QTextBlockFormat indented;
    SetIndents(indented, ParaIndents{3, 0, 0});
    c.setBlockFormat(indented);
    c.insertText("indented");
    PutCaret(editor->document()->lastBlock().position() + 2);
    EXPECT_EQ(ruler.Markers(), (RulerMarkers{6, 6, 615}));
    PutCaret(1);
    EXPECT_EQ(ruler.Markers(), (RulerMarkers{2, 2, 615}));
}

TEST(CaretPositionText, PadsToThreePlaces) {
    EXPECT_EQ(CaretPositionText({0, 0}), "Ln:   1  Col:   1");
    EXPECT_EQ(CaretPositionText({41, 122}), "Ln:  42  Col: 123");
    EXPECT_EQ(CaretPositionText({1233, 0}), "Ln: 1234  Col:   1");
}

}  // namespace
}  // namespace jb::editor
