// Pictures inserted from files and kept through the RTF bridge; links recognised, shown and
// clicked; the word at a position.

#include <gtest/gtest.h>

#include <QAction>
#include <QApplication>
#include <QBuffer>
#include <QFile>
#include <QImage>
#include <QMouseEvent>
#include <QTemporaryDir>
#include <QTextBlock>
#include <QTextCursor>
#include <QTextEdit>
#include <QTextImageFormat>
#include <QTextLayout>
#include <QToolButton>
#include <memory>

#include "editor/editing_commands.h"
#include "editor/editor_app.h"
#include "editor/insert_picture.h"
#include "editor/link_overlay.h"
#include "editor/rtf_bridge.h"

namespace jb::editor {
namespace {

class EditorWidgetTest : public ::testing::Test {
  protected:
    static void SetUpTestSuite() { testing::EnsureApplication(); }
    void SetUp() override {
        window = std::make_unique<QWidget>();
        window->resize(500, 300);
        editor = new QTextEdit(window.get());
        editor->resize(500, 300);
    }
    std::unique_ptr<QWidget> window;
    QTextEdit* editor = nullptr;
};

// --- Pictures ---

QByteArray Encoded(const char* format) {
    QImage image(7, 5, QImage::Format_RGB32);
    image.fill(Qt::darkGreen);
    QByteArray bytes;
    QBuffer buffer(&bytes);
    buffer.open(QIODevice::WriteOnly);
    image.save(&buffer, format);
    return bytes;
}

QString WriteFile(const QTemporaryDir& dir, const QString& name, const QByteArray& bytes) {
    const QString path = dir.filePath(name);
    QFile f(path);
    f.open(QIODevice::WriteOnly);
    f.write(bytes);
    return path;
}

TEST_F(EditorWidgetTest, PictureInsertedSavedAndLoadedBack) {
    QTemporaryDir dir;
    const struct {
        const char* format;
        const char* file;
        const char* blip;
    } rows[] = {{"PNG", "p.png", "\\pngblip"}, {"JPEG", "p.jpg", "\\jpegblip"}};
    for (const auto& r : rows) {
        const QByteArray bytes = Encoded(r.format);
        editor->setPlainText("ab");
        QTextCursor c = editor->textCursor();
        c.setPosition(1);
        editor->setTextCursor(c);
        ASSERT_EQ(InsertPictureFile(*editor, WriteFile(dir, r.file, bytes)), "") << r.format;
        EXPECT_EQ(editor->toPlainText(), QString("a") + QChar::ObjectReplacementCharacter + "b");

        const std::string rtf = SaveRtf(*editor->document());
        EXPECT_NE(rtf.find("\\pict"), std::string::npos) << r.format;
        EXPECT_NE(rtf.find(r.blip), std::string::npos) << r.format;

        QTextDocument loaded;
        LoadRtf(loaded, rtf);
        QTextCursor at(&loaded);
        at.setPosition(2);
        ASSERT_TRUE(at.charFormat().isImageFormat()) << r.format;
        const QTextImageFormat image = at.charFormat().toImageFormat();
        EXPECT_EQ(loaded.resource(QTextDocument::ImageResource, QUrl(image.name())).toByteArray(),
                  bytes);
        EXPECT_DOUBLE_EQ(image.width(), 7);
        EXPECT_DOUBLE_EQ(image.height(), 5);
    }
}

TEST_F(EditorWidgetTest, UnreadableOrUnsupportedFilesAreRefused) {
    QTemporaryDir dir;
    editor->setPlainText("ab");
    const QString missing = dir.filePath("missing.png");
    EXPECT_EQ(InsertPictureFile(*editor, missing), "Cannot read " + missing);
    const QString text = WriteFile(dir, "notes.png", "not a picture at all");
    EXPECT_EQ(InsertPictureFile(*editor, text), text + " is not a PNG or JPEG picture");
    const QString bmp = WriteFile(dir, "p.bmp", Encoded("BMP"));
    EXPECT_EQ(InsertPictureFile(*editor, bmp), bmp + " is not a PNG or JPEG picture");
    QByteArray broken = Encoded("PNG");
    broken.truncate(20);
    const QString cut = WriteFile(dir, "cut.png", broken);
    EXPECT_EQ(InsertPictureFile(*editor, cut), cut + " is not a PNG or JPEG picture");
    EXPECT_EQ(editor->toPlainText(), "ab");
}

// --- Links ---

TEST(FindLinks, SchemeNamesUpToTheFirstWhiteSpace) {
    const struct {
        const char* text;
        QList<LinkSpan> links;
    } rows[] = {
        {"file://page/12 then", {{0, 14}}},
        {"see http://a.b/c?d=1, now", {{4, 17}}},  // punctuation belongs to the link
        {"FILE://PAGE/3", {{0, 13}}},
        {"https://x ftp://y", {{0, 9}, {10, 7}}},
        {"mailto:a@b.c\tnext", {{0, 12}}},
        {"e-mail:me@home", {{0, 14}}},
        {"(news:comp)", {{1, 10}}},
        {"xhttp://no", {}},
        {"http without colon", {}},
        {"wais gopher: telnet:", {{5, 7}, {13, 7}}},
        {"nntp:a\u00A0b prospero:z", {{0, 6}, {9, 10}}},
        {"", {}},
    };
    for (const auto& r : rows) EXPECT_EQ(FindLinks(QString::fromUtf8(r.text)), r.links) << r.text;
}

class LinkTest : public EditorWidgetTest {
  protected:
    void SetUp() override {
        EditorWidgetTest::SetUp();
        links = new LinkClicks(editor);
        editor->setPlainText("see http://example.com/x now\nplain words here");
        window->show();
        QApplication::processEvents();
        QObject::connect(links, &LinkClicks::LinkClicked,
                         [this](const QString& l) { clicked << l; });
    }

    // The middle of the character at `position`, in viewport coordinates.
    QPoint Over(int position) {
        QTextCursor a(editor->document()), b(editor->document());
        a.setPosition(position);
        b.setPosition(position + 1);
        const QRect ra = editor->cursorRect(a), rb = editor->cursorRect(b);
        return QPoint((ra.left() + rb.left()) / 2, ra.center().y());
    }

    void Send(QEvent::Type type, QPoint at, Qt::MouseButtons buttons) {
        const Qt::MouseButton button = type == QEvent::MouseMove ? Qt::NoButton : Qt::LeftButton;
        QMouseEvent e(type, at, editor->viewport()->mapToGlobal(at), button, buttons,
                      Qt::NoModifier);
        QApplication::sendEvent(editor->viewport(), &e);
    }

    void Click(QPoint press, QPoint release) {
        Send(QEvent::MouseButtonPress, press, Qt::LeftButton);
        Send(QEvent::MouseMove, release, Qt::LeftButton);
        Send(QEvent::MouseButtonRelease, release, Qt::NoButton);
    }

    LinkClicks* links = nullptr;
    QStringList clicked;
};

TEST_F(LinkTest, LinksAreShownBlueAndUnderlinedWithoutChangingTheText) {
    editor->document()->setModified(false);
    const QList<QTextLayout::FormatRange> ranges = editor->document()->begin().layout()->formats();
    ASSERT_EQ(ranges.size(), 1);
    EXPECT_EQ(ranges[0].start, 4);
    EXPECT_EQ(ranges[0].length, 20);
    EXPECT_EQ(ranges[0].format.foreground().color(), QColor(Qt::blue));
    EXPECT_EQ(ranges[0].format.underlineStyle(), QTextCharFormat::SingleUnderline);
    QTextCursor c(editor->document());
    c.setPosition(6);
    EXPECT_FALSE(c.charFormat().fontUnderline());
    EXPECT_FALSE(editor->document()->isModified());
    EXPECT_EQ(editor->document()->availableUndoSteps(), 0);
}

TEST_F(LinkTest, AClickReportsTheLinkText) {
    Click(Over(10), Over(10));
    EXPECT_EQ(clicked, QStringList{"http://example.com/x"});
    Click(Over(4), Over(4));    // its first character
    Click(Over(23), Over(23));  // its last character
    EXPECT_EQ(clicked.size(), 3);
}

TEST_F(LinkTest, ADragOrAClickBesideALinkReportsNothing) {
    Click(Over(10), Over(10) + QPoint(40, 0));
    Click(Over(1), Over(1));
    Click(Over(24), Over(24));  // the space after it
    Click(Over(32), Over(32));  // second paragraph
    EXPECT_TRUE(clicked.isEmpty());
}

TEST_F(LinkTest, TheCursorIsAHandOverALink) {
    Send(QEvent::MouseMove, Over(12), Qt::NoButton);
    EXPECT_EQ(editor->viewport()->cursor().shape(), Qt::PointingHandCursor);
    Send(QEvent::MouseMove, Over(35), Qt::NoButton);
    EXPECT_EQ(editor->viewport()->cursor().shape(), Qt::IBeamCursor);
    Send(QEvent::MouseMove, Over(5), Qt::NoButton);
    EXPECT_EQ(editor->viewport()->cursor().shape(), Qt::PointingHandCursor);
}

TEST_F(LinkTest, TypingALinkShowsIt) {
    QTextCursor c(editor->document());
    c.movePosition(QTextCursor::End);
    editor->setTextCursor(c);
    editor->insertPlainText(" mailto:me@x");
    const QList<QTextLayout::FormatRange> ranges =
        editor->document()->lastBlock().layout()->formats();
    ASSERT_EQ(ranges.size(), 1);
    EXPECT_EQ(ranges[0].start, 17);
    EXPECT_EQ(ranges[0].length, 11);
}

// --- Words ---

TEST(GetWordAtPos, WordWithTheWhiteSpaceAfterIt) {
    QTextDocument doc;
    doc.setPlainText("hello world\none  two");
    const struct {
        int position;
        WordAt word;
    } rows[] = {
        {0, {0, 6, "hello "}},  {3, {0, 6, "hello "}},  {5, {0, 6, "hello "}},
        {6, {6, 6, "world\n"}}, {9, {6, 6, "world\n"}}, {11, {6, 6, "world\n"}},
        {12, {12, 5, "one  "}}, {16, {12, 5, "one  "}}, {17, {17, 3, "two"}},
        {20, {17, 3, "two"}},
    };
    for (const auto& r : rows) EXPECT_EQ(GetWordAtPos(doc, r.position), r.word) << r.position;
}

TEST(GetWordAtPos, WalkingTheWordsCoversTheText) {
    QTextDocument doc;
    doc.setPlainText("the cat  sat\n\non it");
    QStringList words;
    for (int pos = 0; pos < doc.characterCount() - 1;) {
        const WordAt w = GetWordAtPos(doc, pos);
        ASSERT_EQ(w.start, pos);
        ASSERT_GT(w.length, 0);
        words << w.text;
        pos = w.start + w.length;
    }
    EXPECT_EQ(words, (QStringList{"the ", "cat  ", "sat\n", "\n", "on ", "it"}));
}

// --- Editing commands ---

TEST_F(EditorWidgetTest, ReadOnlyStopsTypingAndChecksTheMenuItem) {
    QAction item(nullptr);
    item.setCheckable(true);
    editor->setPlainText("page");
    SetReadOnlyAttribute(*editor, &item, true);
    EXPECT_TRUE(item.isChecked());
    QKeyEvent key(QEvent::KeyPress, Qt::Key_X, Qt::NoModifier, "x");
    QApplication::sendEvent(editor, &key);
    EXPECT_EQ(editor->toPlainText(), "page");
    SetReadOnlyAttribute(*editor, &item, false);
    EXPECT_FALSE(item.isChecked());
    QApplication::sendEvent(editor, &key);
    EXPECT_EQ(editor->toPlainText(), "xpage");
}

TEST_F(EditorWidgetTest, ViewItemsInvertVisibilityAndFollowWithTheirCheckMark) {
    window->show();
    QWidget target(window.get());
    target.show();
    QAction item(nullptr);
    item.setCheckable(true);
    item.setChecked(true);
    EXPECT_FALSE(ToggleView(target, &item));
    EXPECT_TRUE(target.isHidden());
    EXPECT_FALSE(item.isChecked());
    EXPECT_TRUE(ToggleView(target, &item));
    EXPECT_FALSE(target.isHidden());
    EXPECT_TRUE(item.isChecked());
}

TEST_F(EditorWidgetTest, UndoControlsEnabledOnlyWhileModified) {
    QToolButton button;
    QAction item(nullptr);
    EnableWhileModified({&button, &item}, false);
    EXPECT_FALSE(button.isEnabled());
    EXPECT_FALSE(item.isEnabled());
    EnableWhileModified({&button, &item}, true);
    EXPECT_TRUE(button.isEnabled());
    EXPECT_TRUE(item.isEnabled());
}

TEST_F(EditorWidgetTest, FontDialogChoiceAppliesToTheSelection) {
    editor->setPlainText("abcd");
    QTextCursor c = editor->textCursor();
    c.setPosition(1);
    c.setPosition(3, QTextCursor::KeepAnchor);
    editor->setTextCursor(c);
    QFont chosen("Liberation Serif", 20);
    chosen.setItalic(true);
    chosen.setUnderline(true);
    ApplyChosenFont(*editor, chosen, QColor(Qt::red));
    for (int i = 0; i < 4; ++i) {
        QTextCursor at(editor->document());
        at.setPosition(i + 1);
        const QTextCharFormat f = at.charFormat();
        const bool inside = i == 1 || i == 2;
        EXPECT_EQ(f.fontPointSize() == 20, inside) << i;
        EXPECT_EQ(f.fontItalic(), inside) << i;
        EXPECT_EQ(f.fontUnderline(), inside) << i;
        EXPECT_EQ(f.foreground().color() == QColor(Qt::red), inside) << i;
        EXPECT_EQ(f.fontFamilies().toStringList() == QStringList{"Liberation Serif"}, inside) << i;
    }
    SelectAll(*editor);
    EXPECT_EQ(editor->textCursor().selectedText(), "abcd");
}

}  // namespace
}  // namespace jb::editor
