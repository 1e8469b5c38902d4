#include "editor/rtf_bridge.h"

#include <QBuffer>
#include <QByteArray>
#include <QColor>
#include <QCryptographicHash>
#include <QFont>
#include <QImage>
#include <QPixmap>
#include <QTextBlock>
#include <QTextCursor>
#include <QTextDocument>
#include <QTextDocumentFragment>
#include <QUrl>
#include <climits>
#include <cmath>
#include <optional>
#include <utility>
#include <vector>

#include "richtext/richtext.h"

namespace jb::editor {
namespace {

using richtext::Align;
using richtext::CharFormat;
using richtext::Image;
using richtext::ImageType;
using richtext::ParaFormat;
using richtext::Rgb;
using richtext::VerticalAlign;

// Lengths: the editor lays text out in pixels at 96 per inch; a pixel is 15 twips.
constexpr double kTwipsPerPixel = 15.0;

int ToTwips(double pixels) { return static_cast<int>(std::lround(pixels * kTwipsPerPixel)); }
double ToPixels(int twips) { return twips / kTwipsPerPixel; }

QColor ToQColor(const Rgb& c) { return QColor(c.r, c.g, c.b); }
Rgb ToRgb(const QColor& c) {
    return Rgb{static_cast<std::uint8_t>(c.red()), static_cast<std::uint8_t>(c.green()),
               static_cast<std::uint8_t>(c.blue())};
}

QTextCharFormat ToQt(const CharFormat& f, const std::string& link) {
    QTextCharFormat q;
    if (!f.font.empty()) q.setFontFamilies(QStringList{QString::fromStdString(f.font)});
    q.setFontPointSize(f.halfPoints / 2.0);
    if (f.color) q.setForeground(ToQColor(*f.color));
    if (f.highlight) q.setBackground(ToQColor(*f.highlight));
    q.setFontWeight(f.bold ? QFont::Bold : QFont::Normal);
    q.setFontItalic(f.italic);
    q.setFontUnderline(f.underline);
    q.setFontStrikeOut(f.strike);
    q.setVerticalAlignment(f.valign == VerticalAlign::kSuperscript ? QTextCharFormat::AlignSuperScript
                           : f.valign == VerticalAlign::kSubscript ? QTextCharFormat::AlignSubScript
                                                                   : QTextCharFormat::AlignNormal);
    if (!link.empty()) {
        q.setAnchor(true);
        q.setAnchorHref(QString::fromStdString(link));
    }
    return q;
}

QTextBlockFormat ToQt(const ParaFormat& f) {
    QTextBlockFormat q;
    switch (f.align) {
        case Align::kLeft: q.setAlignment(Qt::AlignLeft); break;
        case Align::kCenter: q.setAlignment(Qt::AlignHCenter); break;
        case Align::kRight: q.setAlignment(Qt::AlignRight); break;
        case Align::kJustify: q.setAlignment(Qt::AlignJustify); break;
    }
    q.setTextIndent(ToPixels(f.firstIndent));
    q.setLeftMargin(ToPixels(f.leftIndent));
    q.setRightMargin(ToPixels(f.rightIndent));
    q.setTopMargin(ToPixels(f.spaceBefore));
    q.setBottomMargin(ToPixels(f.spaceAfter));
    return q;
}

CharFormat FromQt(const QTextCharFormat& q, const QFont& defaultFont) {
    CharFormat f;
    const QStringList families = q.fontFamilies().toStringList();
    f.font = (families.isEmpty() ? defaultFont.family() : families.front()).toStdString();
    const double points = q.fontPointSize() > 0 ? q.fontPointSize() : defaultFont.pointSizeF();
    f.halfPoints = points > 0 ? static_cast<int>(std::lround(points * 2)) : 24;
    if (q.hasProperty(QTextFormat::ForegroundBrush) && q.foreground().style() != Qt::NoBrush) {
        f.color = ToRgb(q.foreground().color());
    }
    if (q.hasProperty(QTextFormat::BackgroundBrush) && q.background().style() != Qt::NoBrush) {
        f.highlight = ToRgb(q.background().color());
    }
    f.bold = q.fontWeight() >= QFont::DemiBold;
    f.italic = q.fontItalic();
    f.underline = q.fontUnderline();
    f.strike = q.fontStrikeOut();
    switch (q.verticalAlignment()) {
        case QTextCharFormat::AlignSuperScript: f.valign = VerticalAlign::kSuperscript; break;
        case QTextCharFormat::AlignSubScript: f.valign = VerticalAlign::kSubscript; break;
        default: break;
    }
    return f;
}

ParaFormat FromQt(const QTextBlockFormat& q) {
    ParaFormat f;
    const Qt::Alignment h = q.alignment() & Qt::AlignHorizontal_Mask;
    if (h & Qt::AlignJustify) {
        f.align = Align::kJustify;
    } else if (h & Qt::AlignHCenter) {
        f.align = Align::kCenter;
    } else if (h & Qt::AlignRight) {
        f.align = Align::kRight;
    }
    f.firstIndent = ToTwips(q.textIndent());
    f.leftIndent = ToTwips(q.leftMargin());
    f.rightIndent = ToTwips(q.rightMargin());
    f.spaceBefore = ToTwips(q.topMargin());
    f.spaceAfter = ToTwips(q.bottomMargin());
    return f;
}

// The picture behind an image format: its encoded bytes when the resource holds them, else the
// image encoded as PNG. Sizes the format leaves open come from the image itself.
std::optional<Image> ImageOf(const QTextDocument& doc, const QTextImageFormat& q) {
    const QVariant res = doc.resource(QTextDocument::ImageResource, QUrl(q.name()));
    Image image;
    QImage decoded;
    if (res.userType() == QMetaType::QByteArray) {
        const QByteArray bytes = res.toByteArray();
        image.data.assign(bytes.constData(), static_cast<std::size_t>(bytes.size()));
        if (bytes.startsWith("\xFF\xD8")) {
            image.type = ImageType::kJpeg;
        } else if (!bytes.startsWith("\x89PNG")) {
            return std::nullopt;
        }
    } else {
        if (res.userType() == QMetaType::QImage) {
            decoded = res.value<QImage>();
        } else if (res.userType() == QMetaType::QPixmap) {
            decoded = res.value<QPixmap>().toImage();
        }
        if (decoded.isNull()) return std::nullopt;
        QByteArray bytes;
        QBuffer buffer(&bytes);
        buffer.open(QIODevice::WriteOnly);
        decoded.save(&buffer, "PNG");
        image.data.assign(bytes.constData(), static_cast<std::size_t>(bytes.size()));
    }
    double w = q.width();
    double h = q.height();
    if (w <= 0 || h <= 0) {
        if (decoded.isNull()) decoded.loadFromData(QByteArray::fromStdString(image.data));
        if (w <= 0) w = decoded.width();
        if (h <= 0) h = decoded.height();
    }
    image.widthTwips = ToTwips(w);
    image.heightTwips = ToTwips(h);
    return image;
}

QString AddImageResource(QTextDocument& doc, const Image& image) {
    const QByteArray bytes = QByteArray::fromStdString(image.data);
    const QString name = QStringLiteral("jbimage:") +
                         QString::fromLatin1(QCryptographicHash::hash(bytes, QCryptographicHash::Md5).toHex()) +
                         (image.type == ImageType::kPng ? QStringLiteral(".png") : QStringLiteral(".jpg"));
    doc.addResource(QTextDocument::ImageResource, QUrl(name), bytes);
    return name;
}

// The Qt formats of the model's formats. A page uses few distinct formats, so each is converted
// (and interned by the document) once rather than once per run or paragraph.
class QtFormats {
public:
    QTextCharFormat Char(const CharFormat& f, const std::string& link) {
        for (const CharEntry& e : chars_) {
            if (e.format == f && e.link == link) return e.qt;
        }
        if (chars_.size() == kMaxChars) chars_.clear();
        return chars_.emplace_back(CharEntry{f, link, ToQt(f, link)}).qt;
    }
    QTextBlockFormat Block(const ParaFormat& f) {
        if (!block_ || block_->first != f) block_.emplace(f, ToQt(f));
        return block_->second;
    }

private:
    static constexpr std::size_t kMaxChars = 32;
    struct CharEntry {
        CharFormat format;
        std::string link;
        QTextCharFormat qt;
    };
    std::vector<CharEntry> chars_;
    std::optional<std::pair<ParaFormat, QTextBlockFormat>> block_;
};

void InsertRuns(QTextCursor& cursor, const richtext::Paragraph& p, QtFormats& formats) {
    QTextDocument& doc = *cursor.document();
    for (const richtext::Run& run : p.runs) {
        if (run.image) {
            QTextImageFormat f;
            f.merge(formats.Char(run.format, run.link));
            f.setName(AddImageResource(doc, *run.image));
            if (run.image->widthTwips > 0) f.setWidth(ToPixels(run.image->widthTwips));
            if (run.image->heightTwips > 0) f.setHeight(ToPixels(run.image->heightTwips));
            cursor.insertImage(f);
        } else {
            cursor.insertText(QString::fromUtf8(run.text.data(), static_cast<qsizetype>(run.text.size())),
                              formats.Char(run.format, run.link));
        }
    }
}

void InsertParagraphs(QTextCursor& cursor, const richtext::Document& rich, QtFormats& formats) {
    bool first = true;
    for (const richtext::Paragraph& p : rich.paragraphs) {
        if (!first) cursor.insertBlock(formats.Block(p.format));
        first = false;
        InsertRuns(cursor, p, formats);
    }
}

}  // namespace

void InsertRichText(QTextCursor& cursor, const richtext::Document& rich) {
    QtFormats formats;
    cursor.beginEditBlock();
    InsertParagraphs(cursor, rich, formats);
    cursor.endEditBlock();
}

void LoadRtf(QTextDocument& doc, std::string_view rtfOrPlain) {
    const richtext::Document rich = richtext::ReadDocument(rtfOrPlain);
    const bool undo = doc.isUndoRedoEnabled();
    doc.setUndoRedoEnabled(false);
    // The clearing and the whole page are one edit, so the document's layout hears of one change
    // that covers the whole document. Qt's layout then lays out the start at once and the rest
    // in steps from the event loop; a clear reported apart from the insertion makes the insertion
    // a partial change, which the layout does at once for the whole page (~0.2 s for 1 MB).
    QTextCursor cursor(&doc);
    cursor.beginEditBlock();
    doc.clear();
    QtFormats formats;
    if (!rich.paragraphs.empty()) cursor.setBlockFormat(formats.Block(rich.paragraphs.front().format));
    InsertParagraphs(cursor, rich, formats);
    cursor.endEditBlock();
    doc.setUndoRedoEnabled(undo);
    doc.setModified(false);
}

void AppendRtf(QTextDocument& doc, std::string_view rtfOrPlain, bool newParagraph) {
    AppendRichText(doc, richtext::ReadDocument(rtfOrPlain), newParagraph);
}

void AppendRichText(QTextDocument& doc, const richtext::Document& rich, bool newParagraph) {
    QTextCursor cursor(&doc);
    cursor.movePosition(QTextCursor::End);
    cursor.beginEditBlock();
    QtFormats formats;
    const QTextBlockFormat first =
        rich.paragraphs.empty() ? QTextBlockFormat() : formats.Block(rich.paragraphs.front().format);
    if (newParagraph)
        cursor.insertBlock(first, QTextCharFormat());
    else
        cursor.setBlockFormat(first);
    InsertParagraphs(cursor, rich, formats);
    cursor.endEditBlock();
}

void InsertRtf(QTextCursor& cursor, std::string_view rtfOrPlain) {
    if (cursor.hasSelection()) cursor.removeSelectedText();
    InsertRichText(cursor, richtext::ReadDocument(rtfOrPlain));
}

richtext::Document ToRichText(const QTextDocument& doc) { return ToRichText(doc, 0, INT_MAX); }

richtext::Document ToRichText(const QTextDocument& doc, int from, int to) {
    richtext::Document rich;
    const QFont defaultFont = doc.defaultFont();
    for (QTextBlock block = doc.findBlock(from); block.isValid(); block = block.next()) {
        if (block.position() >= to && block.position() > from) break;
        richtext::Paragraph& p = rich.paragraphs.emplace_back();
        p.format = FromQt(block.blockFormat());
        for (auto it = block.begin(); !it.atEnd(); ++it) {
            const QTextFragment fragment = it.fragment();
            const int start = std::max(fragment.position(), from);
            const int end = std::min(fragment.position() + fragment.length(), to);
            if (start >= end) continue;
            const QTextCharFormat qf = fragment.charFormat();
            CharFormat format = FromQt(qf, defaultFont);
            const std::string link = qf.isAnchor() ? qf.anchorHref().toStdString() : std::string();
            if (qf.isImageFormat()) {
                const std::optional<Image> image = ImageOf(doc, qf.toImageFormat());
                for (int k = start; k < end; ++k) {
                    if (image) p.runs.push_back(richtext::Run{format, {}, link, image});
                }
                continue;
            }
            const QString text = fragment.text().mid(start - fragment.position(), end - start);
            p.runs.push_back(richtext::Run{format, text.toStdString(), link, std::nullopt});
        }
    }
    return rich;
}

std::string SaveRtf(const QTextDocument& doc) { return richtext::WriteRtf(ToRichText(doc)); }

std::string SaveSelectionRtf(const QTextCursor& cursor) {
    if (!cursor.hasSelection()) return richtext::WriteRtf(richtext::Document{});
    return richtext::WriteRtf(
        ToRichText(*cursor.document(), cursor.selectionStart(), cursor.selectionEnd()));
}

void LoadPlainText(QTextDocument& doc, const QString& text) {
    const std::string rtf = richtext::RtfFromPlainText(text.toStdString());
    LoadRtf(doc, rtf);
}

QString EditorPlainText(const QTextDocument& doc) { return doc.toPlainText(); }

}  // namespace jb::editor
