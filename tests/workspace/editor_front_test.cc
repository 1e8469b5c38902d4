// The editor front in the main window: the formatting toolbar following the page, pictures
// inserted from the menus, link clicks, the ruler and its place in the window layout, the font
// dialog and find on this page.

#include <QAction>
#include <QApplication>
#include <QComboBox>
#include <QImage>
#include <QLineEdit>
#include <QMouseEvent>
#include <QPushButton>
#include <QTest>
#include <QTextBlock>
#include <QTextCursor>
#include <QTextLayout>
#include <QTextDocument>
#include <QTextFragment>
#include <QTextImageFormat>
#include <QToolBar>
#include <QToolButton>
#include <functional>

#include "editor/editor_front.h"
#include "editor/insert_picture.h"
#include "editor/ruler.h"
#include "workspace/main_form_fixture.h"

namespace jb::test {
namespace {

using workspace::TMainForm;

// Settings that keep Update from asking about reminders.
const char* const kQuietUpdate = "[Remind]\r\nOnNoDateAlready=2\r\n[Template]\r\nDef=none\r\n";

void PlaceCaret(TMainForm& f, int position) {
    QTextCursor c(f.EditBox->document());
    c.setPosition(position);
    f.EditBox->setTextCursor(c);
}

// The names of the images in the editor's document, in order.
QStringList ImageNames(const QTextDocument& doc) {
    QStringList names;
    for (QTextBlock b = doc.begin(); b.isValid(); b = b.next())
        for (auto it = b.begin(); !it.atEnd(); ++it)
            if (it.fragment().charFormat().isImageFormat())
                names << it.fragment().charFormat().toImageFormat().name();
    return names;
}

TEST_F(MainFormTest, FormattingToolbarFollowsTheSelectionOfThePage) {
    const std::string rtf = "{\\rtf1\\ansi{\\fonttbl{\\f0 Arial;}}\\f0\\fs20 plain \\b bold\\b0  \\i slanted\\i0\\par}";
    ASSERT_EQ(0u, store.WritePage(DataSet(), 0, "", false, false, "0000000A", rtf, 0, 44000));
    TMainForm& f = Start();
    ASSERT_EQ("plain bold slanted", EditorText().trimmed());
    auto* bold = f.ToolBarFormatting->findChild<QToolButton*>("BoldButton");
    auto* italic = f.ToolBarFormatting->findChild<QToolButton*>("ItalicButton");
    ASSERT_NE(nullptr, bold);
    ASSERT_NE(nullptr, italic);
    EXPECT_EQ("Ln:   1  Col:   1", f.PanelText(0)) << "the position panel is set once at start-up";
    const struct {
        int position;
        bool bold, italic;
        const char* panel;
    } rows[] = {{8, true, false, "Ln:   1  Col:   9"},
                {2, false, false, "Ln:   1  Col:   3"},
                {13, false, true, "Ln:   1  Col:  14"},
                {9, true, false, "Ln:   1  Col:  10"}};
    for (const auto& r : rows) {
        PlaceCaret(f, r.position);
        EXPECT_EQ(r.bold, bold->isChecked()) << r.position;
        EXPECT_EQ(r.italic, italic->isChecked()) << r.position;
        EXPECT_EQ(r.panel, f.PanelText(0)) << r.position;
    }
    EXPECT_FALSE(f.Modified()) << "following the selection changes nothing";
}

// Each row: what is done on page 0's last line (a text typed, or "[Button]" clicked), then
// Enter and "next" typed; and whether "next" is bold, italic and underlined.
TEST_F(MainFormTest, StylesSwitchedWithNothingSelectedCarryIntoTheNextParagraph) {
    const struct {
        std::vector<const char*> steps;
        bool bold, italic, underline;
    } rows[] = {
        {{"[BoldButton]"}, true, false, false},
        {{"[ItalicButton]"}, false, true, false},
        {{"[UnderlineButton]"}, false, false, true},
        {{"[BoldButton]", " strong", "[BoldButton]"}, false, false, false},
        {{"[ItalicButton]", " slanted", "[ItalicButton]", "[UnderlineButton]"}, false, false, true},
        {{" www.example.org", "[BoldButton]"}, true, false, false},
    };
    MakePages(1);
    for (const auto& r : rows) {
        SCOPED_TRACE(::testing::PrintToString(r.steps));
        TMainForm& f = Start();
        f.EditBox->setFocus();
        f.EditBox->moveCursor(QTextCursor::End);
        for (const QString step : r.steps) {
            if (step.startsWith('['))
                f.ToolBarFormatting->findChild<QToolButton*>(step.mid(1, step.size() - 2))->click();
            else
                Type(step);
        }
        QTest::keyClick(f.EditBox, Qt::Key_Return);
        Type("next");
        const QTextBlock last = f.EditBox->document()->lastBlock();
        ASSERT_EQ("next", last.text());
        for (int i = 1; i <= 4; ++i) {
            QTextCursor c(last);
            c.setPosition(last.position() + i);
            const QTextCharFormat typed = c.charFormat();
            EXPECT_EQ(r.bold, typed.fontWeight() >= QFont::DemiBold) << i;
            EXPECT_EQ(r.italic, typed.fontItalic()) << i;
            EXPECT_EQ(r.underline, typed.underlineStyle() == QTextCharFormat::SingleUnderline) << i;
        }
        form->SetModified(false);
        form.reset();
    }
}

TEST_F(MainFormTest, ClipboardControlsAreEnabledExactlyWhileTextIsSelected) {
    MakePages(1);
    TMainForm& f = Start();
    auto* cut = f.findChild<QAction*>("MMenuCut");
    auto* copy = f.findChild<QAction*>("MMenuCopy");
    f.EditBox->moveCursor(QTextCursor::End);
    for (QObject* o : {static_cast<QObject*>(f.CutButton), static_cast<QObject*>(f.CopyButton),
                       static_cast<QObject*>(cut), static_cast<QObject*>(copy)})
        EXPECT_FALSE(o->property("enabled").toBool()) << o->objectName().toStdString();
    f.RMenuSelectAll->trigger();
    EXPECT_EQ("page 0", f.EditBox->textCursor().selectedText());
    for (QObject* o : {static_cast<QObject*>(f.CutButton), static_cast<QObject*>(f.CopyButton),
                       static_cast<QObject*>(cut), static_cast<QObject*>(copy)})
        EXPECT_TRUE(o->property("enabled").toBool()) << o->objectName().toStdString();
}

struct PictureCommand {
    const char* name;
    std::function<void(TMainForm&)> run;
};

const PictureCommand kPictureCommands[] = {
    {"menu Insert object", [](TMainForm& f) { f.Insertobject1->trigger(); }},
    {"toolbar button", [](TMainForm& f) { f.ToolbarButton971->click(); }},
};

TEST_F(MainFormTest, APictureInsertedFromTheMenusSurvivesUpdateAndGotoRecord) {
    for (const PictureCommand& command : kPictureCommands) {
        SCOPED_TRACE(command.name);
        form.reset();
        std::remove(DataSet().c_str());
        std::remove(dir.File("data.hd").c_str());
        MakePages(2);
        WriteSettings(kQuietUpdate);
        QImage image(7, 5, QImage::Format_RGB32);
        image.fill(Qt::red);
        const QString path = QString::fromStdString(dir.File("red.png"));
        ASSERT_TRUE(image.save(path, "PNG"));

        TMainForm& f = Start();
        PlaceCaret(f, 4);  // "page| 0"
        dialogs.ExpectOpenFile(path);
        command.run(f);
        EXPECT_EQ(editor::kPictureFileFilter, dialogs.openFilters.back());
        ASSERT_EQ(1, ImageNames(*f.EditBox->document()).size());
        EXPECT_TRUE(f.Modified());
        f.UpdateButton->click();

        PageInfo info;
        std::string body;
        ASSERT_EQ(0u, store.ReadPageBody(DataSet(), 0, info, body));
        EXPECT_NE(std::string::npos, body.find("\\pict")) << body;
        EXPECT_NE(std::string::npos, body.find("\\pngblip")) << body;

        ASSERT_TRUE(f.GotoRecord(1));
        EXPECT_TRUE(ImageNames(*f.EditBox->document()).isEmpty());
        ASSERT_TRUE(f.GotoRecord(0));
        const QStringList names = ImageNames(*f.EditBox->document());
        ASSERT_EQ(1, names.size());
        const QImage back = QImage::fromData(
            f.EditBox->document()->resource(QTextDocument::ImageResource, QUrl(names[0])).toByteArray());
        EXPECT_EQ(QSize(7, 5), back.size());
        EXPECT_EQ(QColor(Qt::red), back.pixelColor(3, 2));
        EXPECT_EQ(QString("page") + QChar(QChar::ObjectReplacementCharacter) + " 0", EditorText());
        EXPECT_TRUE(dialogs.Done());
    }
}

TEST_F(MainFormTest, APictureFileThatCannotBeUsedIsReportedAndCancelChangesNothing) {
    MakePages(1);
    const QString notPicture = QString::fromStdString(dir.File("notes.png"));
    WriteFileBytes(notPicture.toStdString(), "just words");
    TMainForm& f = Start();

    dialogs.ExpectOpenFile(notPicture);
    dialogs.Expect(notPicture + " is not a PNG or JPEG picture");
    f.Insertobject1->trigger();
    EXPECT_EQ(ui::MessageIcon::kError, dialogs.shown.back().icon);

    dialogs.ExpectOpenFile(QString());
    f.ToolbarButton971->click();
    EXPECT_EQ("page 0", EditorText());
    EXPECT_FALSE(f.Modified());
}

TEST_F(MainFormTest, FontDialogChoiceGoesToTheSelection) {
    MakePages(1);
    TMainForm& f = Start();
    QTextCursor c(f.EditBox->document());
    c.setPosition(0);
    c.setPosition(4, QTextCursor::KeepAnchor);
    f.EditBox->setTextCursor(c);
    QFont chosen("Courier New", 18);
    chosen.setItalic(true);
    dialogs.ExpectFont(ui::FontChoice{chosen, QColor(Qt::red)});
    f.MenuItem9715->trigger();
    ASSERT_EQ(1u, dialogs.initialFonts.size());
    EXPECT_EQ(f.EditBox->palette().color(QPalette::Text), dialogs.initialFonts[0].colour)
        << "the dialog starts at the selection's colour";
    QTextCursor at(f.EditBox->document());
    at.setPosition(2);
    EXPECT_EQ(18, at.charFormat().fontPointSize());
    EXPECT_TRUE(at.charFormat().fontItalic());
    EXPECT_EQ(QColor(Qt::red), at.charFormat().foreground().color());
    at.setPosition(6);
    EXPECT_FALSE(at.charFormat().fontItalic()) << "beyond the selection";
    EXPECT_NE(QColor(Qt::red), at.charFormat().foreground().color()) << "beyond the selection";

    dialogs.ExpectFont(std::nullopt);  // Cancel from the context menu
    f.RMenuFont->trigger();
    at.setPosition(2);
    EXPECT_EQ(18, at.charFormat().fontPointSize());
    EXPECT_TRUE(dialogs.Done());
}

TEST_F(MainFormTest, FindOnThisPageOpensTheFindDialog) {
    MakePages(1);
    TMainForm& f = Start();
    f.Findinthisrecord1->trigger();
    editor::TFindForm* find = f.Front().Finder().Dialog();
    ASSERT_NE(nullptr, find);
    EXPECT_TRUE(find->isVisible());
    find->FindText->setText("0");
    find->FindNextButton->click();
    EXPECT_EQ("0", f.EditBox->textCursor().selectedText());
}

TEST_F(MainFormTest, ALinkClickInTheWindowOpensTheLink) {
    ASSERT_EQ(0u, store.WritePage(DataSet(), 0, "", false, false, "0000000A",
                                  "{\\rtf1\\ansi see http://example.com/x now\\par}", 0, 44000));
    TMainForm& f = Start();
    QApplication::processEvents();
    QTextCursor a(f.EditBox->document()), b(f.EditBox->document());
    a.setPosition(10);
    b.setPosition(11);
    const QPoint at((f.EditBox->cursorRect(a).left() + f.EditBox->cursorRect(b).left()) / 2,
                    f.EditBox->cursorRect(a).center().y());
    QWidget* viewport = f.EditBox->viewport();
    for (QEvent::Type type : {QEvent::MouseButtonPress, QEvent::MouseButtonRelease}) {
        QMouseEvent e(type, at, viewport->mapToGlobal(at), Qt::LeftButton,
                      type == QEvent::MouseButtonPress ? Qt::LeftButton : Qt::NoButton, Qt::NoModifier);
        QApplication::sendEvent(viewport, &e);
    }
    EXPECT_EQ(std::vector<QString>{"url http://example.com/x"}, desktop.calls);
}

TEST_F(MainFormTest, LinksStayHighlightedOnEveryPageShown) {
    ASSERT_EQ(0u, store.WritePage(DataSet(), 0, "", false, false, "0000000A",
                                  "{\\rtf1\\ansi see http://example.com/x now\\par}", 0, 44000));
    ASSERT_EQ(0u, store.WritePage(DataSet(), 1, "", false, false, "0000000B", "{\\rtf1\\ansi plain\\par}", 0, 44000));
    TMainForm& f = Start();
    for (int page : {1, 0}) ASSERT_TRUE(f.GotoRecord(page));
    QApplication::processEvents();
    const QTextBlock block = f.EditBox->document()->firstBlock();
    bool linkShown = false;
    for (const QTextLayout::FormatRange& r : block.layout()->formats())
        linkShown = linkShown || (r.start == 4 && r.length == 20 && r.format.foreground().color() == QColor(Qt::blue));
    EXPECT_TRUE(linkShown);
    EXPECT_EQ("see http://example.com/x now", block.text());
}

TEST_F(MainFormTest, ViewRulerHidesTheRulerAndTheLayoutRemembersIt) {
    MakePages(1);
    TMainForm& f = Start();
    ASSERT_NE(nullptr, f.findChild<editor::Ruler*>("Ruler"));
    EXPECT_TRUE(f.Ruler->isVisible());
    EXPECT_TRUE(f.ViewRuler1->isChecked());
    f.ViewRuler1->trigger();
    EXPECT_FALSE(f.Ruler->isVisible());
    EXPECT_FALSE(f.ViewRuler1->isChecked());
    f.close();
    EXPECT_NE(std::string::npos, ReadFileBytes(dir.File("JotBase.ini")).find("RulerVisible=0"));

    form.reset();
    TMainForm& again = Start();
    EXPECT_TRUE(again.Ruler->isHidden()) << "the saved layout hides the ruler at start-up";
    EXPECT_FALSE(again.ViewRuler1->isChecked());
    again.ViewRuler1->trigger();
    EXPECT_TRUE(again.Ruler->isVisible());
    EXPECT_TRUE(again.ViewRuler1->isChecked());
    again.close();
    EXPECT_NE(std::string::npos, ReadFileBytes(dir.File("JotBase.ini")).find("RulerVisible=1"));
}

}  // namespace
}  // namespace jb::test
