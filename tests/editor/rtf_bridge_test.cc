// The RTF bridge: QTextDocument -> RTF -> QTextDocument keeps text, formats, links and pictures,
// and the core's plain text of a page equals the editor's.

#include <gtest/gtest.h>

#include <QAbstractTextDocumentLayout>
#include <QBuffer>
#include <QGuiApplication>
#include <QImage>
#include <QTextBlock>
#include <QTextCursor>
#include <QTextDocument>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <utility>
#include <vector>

#include "editor/rtf_bridge.h"
#include "richtext/richtext.h"

namespace jb::editor {
namespace {

class RtfBridge : public testing::Test {
protected:
    static void SetUpTestSuite() {
        static int argc = 1;
        static char name[] = "rtf_bridge_test";
        static char* argv[] = {name, nullptr};
        if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) qputenv("QT_QPA_PLATFORM", "offscreen");
        if (QGuiApplication::instance() == nullptr) new QGuiApplication(argc, argv);
    }
};

QByteArray PngBytes(int w, int h) {
    QImage image(w, h, QImage::Format_RGB32);
    image.fill(Qt::red);
    QByteArray bytes;
    QBuffer buffer(&bytes);
    buffer.open(QIODevice::WriteOnly);
    image.save(&buffer, "PNG");
    return bytes;
}

// A page typed in the editor: several character and paragraph formats, a link, a picture.
void FillSample(QTextDocument& doc) {
    QTextCursor c(&doc);
    QTextBlockFormat centred;
    centred.setAlignment(Qt::AlignHCenter);
    centred.setTextIndent(24);
    centred.setLeftMargin(48);
    centred.setRightMargin(12);
    centred.setTopMargin(8);
    centred.setBottomMargin(4);
    c.setBlockFormat(centred);
    QTextCharFormat plain;
    plain.setFontFamilies({"Arial"});
    plain.setFontPointSize(10);
    c.insertText("Plain start ", plain);
    QTextCharFormat fancy = plain;
    fancy.setFontFamilies({"Courier New"});
    fancy.setFontPointSize(14.5);
    fancy.setFontWeight(QFont::Bold);
    fancy.setFontItalic(true);
    fancy.setFontUnderline(true);
    fancy.setFontStrikeOut(true);
    fancy.setForeground(QColor(10, 120, 200));
    fancy.setBackground(QColor(255, 255, 0));
    c.insertText(QString::fromUtf8("fancy caf\xC3\xA9 \xD0\x96"), fancy);
    QTextCharFormat sup = plain;
    sup.setVerticalAlignment(QTextCharFormat::AlignSuperScript);
    c.insertText("2", sup);
    QTextBlockFormat right;
    right.setAlignment(Qt::AlignRight);
    c.insertBlock(right);
    QTextCharFormat link = plain;
    link.setAnchor(true);
    link.setAnchorHref("file://page/12");
    c.insertText("page twelve", link);
    c.insertText(QString::fromUtf8("\ttab\xE2\x80\xA8line"), plain);
    QTextBlockFormat justified;
    justified.setAlignment(Qt::AlignJustify);
    c.insertBlock(justified);
    doc.addResource(QTextDocument::ImageResource, QUrl("mem:pic"), PngBytes(4, 3));
    QTextImageFormat image;
    image.setName("mem:pic");
    image.setWidth(40);
    image.setHeight(30);
    c.insertImage(image);
    c.insertText(" after picture", plain);
}

// A picture keeps its bytes and size; the character format around it is not kept.
richtext::Document WithoutPictureFormats(richtext::Document doc) {
    for (auto& p : doc.paragraphs) {
        for (auto& r : p.runs) {
            if (r.image) r.format = richtext::CharFormat{};
        }
    }
    return doc;
}

TEST_F(RtfBridge, DocumentSurvivesRtfAndBack) {
    QTextDocument original;
    FillSample(original);
    const std::string rtf = SaveRtf(original);
    QTextDocument loaded;
    LoadRtf(loaded, rtf);
    EXPECT_EQ(loaded.toPlainText(), original.toPlainText());
    EXPECT_EQ(WithoutPictureFormats(ToRichText(loaded)), WithoutPictureFormats(ToRichText(original)));
    // RTF -> RTF is a fixed point.
    EXPECT_EQ(SaveRtf(loaded), rtf);

    // Spot checks on the Qt side.
    const QTextBlock first = loaded.begin();
    EXPECT_EQ(first.blockFormat().alignment() & Qt::AlignHorizontal_Mask, Qt::AlignHCenter);
    EXPECT_DOUBLE_EQ(first.blockFormat().leftMargin(), 48);
    const QTextCharFormat fancy = (++first.begin()).fragment().charFormat();
    EXPECT_EQ(fancy.fontFamilies().toStringList(), QStringList{"Courier New"});
    EXPECT_DOUBLE_EQ(fancy.fontPointSize(), 14.5);
    EXPECT_TRUE(fancy.fontItalic() && fancy.fontUnderline() && fancy.fontStrikeOut());
    EXPECT_EQ(fancy.fontWeight(), QFont::Bold);
    EXPECT_EQ(fancy.foreground().color(), QColor(10, 120, 200));
    EXPECT_EQ(fancy.background().color(), QColor(255, 255, 0));
    const QTextCharFormat link = first.next().begin().fragment().charFormat();
    EXPECT_TRUE(link.isAnchor());
    EXPECT_EQ(link.anchorHref(), "file://page/12");
    const QTextCharFormat picture = first.next().next().begin().fragment().charFormat();
    ASSERT_TRUE(picture.isImageFormat());
    EXPECT_DOUBLE_EQ(picture.toImageFormat().width(), 40);
    const QVariant bytes = loaded.resource(QTextDocument::ImageResource, QUrl(picture.toImageFormat().name()));
    EXPECT_EQ(bytes.toByteArray(), PngBytes(4, 3));
}

TEST_F(RtfBridge, SelectionOutAndInsertAtCursor) {
    QTextDocument doc;
    FillSample(doc);
    QTextCursor selection(&doc);
    selection.setPosition(6);
    selection.setPosition(17, QTextCursor::KeepAnchor);  // "start fancy"
    const std::string rtf = SaveSelectionRtf(selection);
    EXPECT_EQ(richtext::PlainTextOf(rtf), "start fancy");

    QTextDocument target;
    LoadPlainText(target, "ab\ncd");
    QTextCursor at(&target);
    at.setPosition(1);
    InsertRtf(at, rtf);
    EXPECT_EQ(target.toPlainText(), "astart fancyb\ncd");
    EXPECT_TRUE(target.findBlock(8).begin().fragment().isValid());
    EXPECT_EQ(target.findBlockByNumber(0).blockFormat().alignment() & Qt::AlignHorizontal_Mask, Qt::AlignLeft);
}

TEST_F(RtfBridge, PlainTextInAndOut) {
    QTextDocument doc;
    LoadPlainText(doc, QString::fromUtf8("one\ntwo \xE2\x82\xAC\n"));
    EXPECT_EQ(EditorPlainText(doc), QString::fromUtf8("one\ntwo \xE2\x82\xAC\n"));
    EXPECT_EQ(doc.begin().begin().fragment().charFormat().fontFamilies().toStringList(), QStringList{"Arial"});
    LoadRtf(doc, "plain \xE9 page\r\nline two");
    EXPECT_EQ(EditorPlainText(doc), QString::fromUtf8("plain \xC3\xA9 page\nline two"));
}

// The plain text the core reads from a page equals what the editor shows for that page.
void ExpectSamePlainText(const std::string& rtf) {
    QTextDocument doc;
    LoadRtf(doc, rtf);
    EXPECT_EQ(doc.toPlainText().toStdString(), richtext::PlainTextOf(rtf));
}

TEST_F(RtfBridge, CorePlainTextEqualsEditorPlainText) {
    const std::string head = "{\\rtf1\\ansi\\deff0{\\fonttbl{\\f0 Arial;}}";
    for (const std::string body :
         {"", "a\\par", "a\\par\\par", "a\\line b\\tab c\\~d\\-e\\_f\\par x",
          "{\\pict\\pngblip 89504e47}\\par{\\field{\\*\\fldinst HYPERLINK x}{\\fldrslt y}}",
          "\\trowd\\cellx1\\cellx2\\intbl a\\cell b\\cell\\row\\pard\\intbl\\cell\\cell\\row", "\\'0d\\'0a\\u8233?\\u65532?z"}) {
        SCOPED_TRACE(body);
        ExpectSamePlainText(head + body + "}E");
    }
    QTextDocument sample;
    FillSample(sample);
    ExpectSamePlainText(SaveRtf(sample));

    const char* source = std::getenv("JB_SOURCE_DIR");
    if (source == nullptr) source = JB_SOURCE_DIR_AT_BUILD;
    const auto dir = std::filesystem::path(source ? source : ".") / ".." / "shared" / "corpus" / "rtf-peer" / "rtf";
    if (!std::filesystem::exists(dir)) GTEST_SKIP() << "the peer corpus is not at " << dir;
    for (const auto& entry : std::filesystem::directory_iterator(dir)) {
        SCOPED_TRACE(entry.path().filename().string());
        std::ifstream in(entry.path(), std::ios::binary);
        ExpectSamePlainText(std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()));
    }
}


// Many distinct character formats (more than a page usually has), repeated and interleaved, and
// paragraph formats that change and repeat: every run and paragraph keeps its own format.
TEST_F(RtfBridge, ManyFormatsEachKeptWherePlaced) {
    richtext::Document rich;
    for (int k = 0; k < 120; ++k) {
        richtext::Paragraph& p = rich.paragraphs.emplace_back();
        p.format.align = (k / 3) % 2 == 0 ? richtext::Align::kLeft : richtext::Align::kRight;
        p.format.leftIndent = (k % 7) * 150;
        for (int r = 0; r < 5; ++r) {
            richtext::CharFormat f;
            f.font = (k + r) % 2 == 0 ? "Arial" : "Courier New";
            f.halfPoints = 16 + ((k * 5 + r) % 45);  // 45 sizes x 2 fonts: past any small cache
            f.bold = r == 2;
            if ((k + r) % 4 == 0) f.color = richtext::Rgb{static_cast<std::uint8_t>(k), 0, 0};
            const std::string link = r == 4 && k % 3 == 0 ? "http://example.com/" + std::to_string(k % 5) : "";
            p.runs.push_back(richtext::Run{f, "r" + std::to_string(r) + "p" + std::to_string(k) + " ", link, {}});
        }
    }
    const std::string rtf = richtext::WriteRtf(rich);
    QTextDocument doc;
    LoadRtf(doc, rtf);
    EXPECT_EQ(ToRichText(doc), richtext::ReadDocument(rtf));
    ASSERT_EQ(doc.blockCount(), 120);
    // Spot checks on the Qt side, far apart in the page.
    for (int k : {0, 1, 3, 59, 118, 119}) {
        const QTextBlock block = doc.findBlockByNumber(k);
        EXPECT_EQ(block.blockFormat().alignment() & Qt::AlignHorizontal_Mask,
                  (k / 3) % 2 == 0 ? Qt::AlignLeft : Qt::AlignRight);
        EXPECT_DOUBLE_EQ(block.blockFormat().leftMargin(), (k % 7) * 10.0);
        int r = 0;
        for (auto it = block.begin(); !it.atEnd(); ++it, ++r) {
            const QTextCharFormat f = it.fragment().charFormat();
            SCOPED_TRACE(testing::Message() << "paragraph " << k << " run " << r);
            EXPECT_DOUBLE_EQ(f.fontPointSize(), (16 + ((k * 5 + r) % 45)) / 2.0);
            EXPECT_EQ(f.fontFamilies().toStringList().value(0), (k + r) % 2 == 0 ? "Arial" : "Courier New");
            EXPECT_EQ(f.isAnchor(), r == 4 && k % 3 == 0);
            if (f.isAnchor()) {
                EXPECT_EQ(f.anchorHref(), QString("http://example.com/%1").arg(k % 5));
            }
        }
        EXPECT_EQ(r, 5);
    }
}

// Loading over a page replaces its text, formats and pictures, and the result is the same as
// loading into a new document; the load is no undo step and leaves the document unmodified.
TEST_F(RtfBridge, LoadReplacesWhatWasThere) {
    QTextDocument sample;
    FillSample(sample);
    const std::string first = SaveRtf(sample);
    const std::string second = "{\\rtf1\\ansi\\deff0{\\fonttbl{\\f0 Arial;}}\\pard\\qc\\fs20 one\\par\\pard two\\par}";

    QTextDocument doc;
    LoadRtf(doc, first);
    const QString picture = doc.findBlockByNumber(2).begin().fragment().charFormat().toImageFormat().name();
    ASSERT_FALSE(picture.isEmpty());
    QTextCursor(&doc).insertText("typed");
    LoadRtf(doc, second);
    QTextDocument fresh;
    LoadRtf(fresh, second);
    EXPECT_EQ(doc.toPlainText(), fresh.toPlainText());
    EXPECT_EQ(ToRichText(doc), ToRichText(fresh));
    EXPECT_EQ(doc.begin().blockFormat().alignment() & Qt::AlignHorizontal_Mask, Qt::AlignHCenter);
    EXPECT_EQ(doc.findBlockByNumber(1).blockFormat().alignment() & Qt::AlignHorizontal_Mask, Qt::AlignLeft);
    EXPECT_FALSE(doc.resource(QTextDocument::ImageResource, QUrl(picture)).isValid());
    EXPECT_FALSE(doc.isModified());
    EXPECT_FALSE(doc.isUndoAvailable());
    EXPECT_TRUE(doc.isUndoRedoEnabled());
}

// Records what the document tells its layout.
class ChangeLog final : public QAbstractTextDocumentLayout {
public:
    explicit ChangeLog(QTextDocument* doc) : QAbstractTextDocumentLayout(doc) {}
    void draw(QPainter*, const PaintContext&) override {}
    int hitTest(const QPointF&, Qt::HitTestAccuracy) const override { return -1; }
    int pageCount() const override { return 1; }
    QSizeF documentSize() const override { return {}; }
    QRectF frameBoundingRect(QTextFrame*) const override { return {}; }
    QRectF blockBoundingRect(const QTextBlock&) const override { return {}; }
    void documentChanged(int from, int oldLength, int length) override {
        changes.push_back({from, oldLength, length});
    }
    struct Change {
        int from, oldLength, length;
    };
    std::vector<Change> changes;
};

// The layout of an editor hears of a load as one change that covers the whole new document
// (from 0, nothing old kept): for that change Qt's layout lays out only the start at once and
// the rest from the event loop, where a partial change is laid out whole at once.
TEST_F(RtfBridge, LoadIsOneWholeDocumentChangeForTheLayout) {
    QTextDocument doc;
    LoadPlainText(doc, "an old page\nof two lines");
    auto* log = new ChangeLog(&doc);
    doc.setDocumentLayout(log);
    log->changes.clear();
    QTextDocument sample;
    FillSample(sample);
    LoadRtf(doc, SaveRtf(sample));
    // Whatever the clearing reports, exactly one change brings in text, and it is the whole page.
    int insertions = 0;
    for (const ChangeLog::Change& c : log->changes) {
        SCOPED_TRACE(testing::Message() << c.from << " " << c.oldLength << " " << c.length);
        if (c.length == 0) continue;
        ++insertions;
        EXPECT_EQ(c.from, 0);
        EXPECT_EQ(c.oldLength, 0);
        EXPECT_EQ(c.length, doc.characterCount());
    }
    EXPECT_EQ(insertions, 1);
}

}  // namespace
}  // namespace jb::editor
