#include "transfer/markdown_output.h"

#include <QRegularExpression>
#include <QStringList>
#include <QTextBlock>
#include <QTextDocument>
#include <QTextFragment>
#include <vector>

namespace jb::transfer {
namespace {

bool IsBlank(QChar c) { return c == u' ' || c == u'\t'; }

// Markup wherever it stands: emphasis, code, links, raw HTML, entities, headings, pandoc's
// sub- and superscripts, maths, citations and tables, and the quotes its typography curls.
bool IsMarkup(QChar c) {
    static const QString marks = QStringLiteral("\\`*_[]<>&#~^$@|\"'");
    return marks.contains(c);
}

// Markup at the start of a line only: list bullets, setext underlines, definitions, title blocks.
bool IsLineStartMarkup(QChar c) {
    static const QString marks = QStringLiteral("-+=:%");
    return marks.contains(c);
}

// The length of a first word that a list would take as its number ("1.", "b)", "(iv)"), else 0.
qsizetype ListNumberLength(QStringView line) {
    static const QRegularExpression number(QStringLiteral("^\\(?[0-9A-Za-z]+[.)](?=[ \\t]|$)"));
    const QRegularExpressionMatch m = number.match(line.toString());
    return m.hasMatch() ? m.capturedLength() : 0;
}

// The Markdown of each character of one line (text between hard line breaks), in its place.
void EscapeLine(QStringView line, std::vector<QString>& out) {
    const qsizetype n = line.size();
    const qsizetype numberEnd = ListNumberLength(line) - 1;
    for (qsizetype i = 0; i < n; ++i) {
        const QChar c = line[i];
        const QChar before = i > 0 ? line[i - 1] : QChar();
        const QChar after = i + 1 < n ? line[i + 1] : QChar();
        // A run of hyphens or dots is a dash or an ellipsis to a reader that sets type.
        const bool run = (c == u'-' || c == u'.') && (before == c || after == c);
        if (c == QChar::ObjectReplacementCharacter) {
            out.emplace_back();
        } else if (c == u'\t') {
            out.emplace_back(QStringLiteral("&#9;"));
        } else if (c == u' ') {
            // Markdown folds spaces at the ends of a line and runs of them.
            const bool folded = i == 0 || i + 1 == n || IsBlank(before) || IsBlank(after);
            out.emplace_back(folded ? QStringLiteral("&#32;") : QStringLiteral(" "));
        } else if (IsMarkup(c) || run || (i == 0 && IsLineStartMarkup(c)) || i == numberEnd) {
            out.emplace_back(QString(u'\\') + c);
        } else {
            out.emplace_back(c);
        }
    }
}

// The emphasis marks of a format, outermost first; they close in the reverse order.
QStringList Marks(const QTextCharFormat& format) {
    QStringList marks;
    if (format.fontStrikeOut()) marks << QStringLiteral("~~");
    if (format.fontWeight() > QFont::Medium) marks << QStringLiteral("**");
    if (format.fontItalic()) marks << QStringLiteral("*");
    return marks;
}

// One paragraph: its lines escaped, each fragment's emphasis put around the fragment's text
// without its spaces at either end (a mark beside a space is not read as one).
QString ParagraphOf(const QTextBlock& block) {
    const QString text = block.text();
    // A paragraph holding only pictures and line breaks has nothing Markdown can show.
    if (QString(text).remove(QChar::ObjectReplacementCharacter).remove(QChar::LineSeparator).isEmpty()) return {};
    std::vector<QString> escaped;
    escaped.reserve(static_cast<std::size_t>(text.size()));
    for (QStringView line : QStringView(text).split(QChar::LineSeparator)) {
        if (!escaped.empty()) escaped.emplace_back(QStringLiteral("\\\n"));
        EscapeLine(line, escaped);
    }
    auto piece = [&](qsizetype from, qsizetype to) {
        QString s;
        for (qsizetype i = from; i < to; ++i) s += escaped[static_cast<std::size_t>(i)];
        return s;
    };
    auto isEdge = [&](qsizetype i) { return IsBlank(text[i]) || text[i] == QChar::LineSeparator; };
    QString out;
    for (auto it = block.begin(); !it.atEnd(); ++it) {
        const QTextFragment fragment = it.fragment();
        if (!fragment.isValid()) continue;
        const qsizetype start = fragment.position() - block.position();
        const qsizetype end = start + fragment.length();
        qsizetype first = start, last = end;
        while (first < last && isEdge(first)) ++first;
        while (last > first && isEdge(last - 1)) --last;
        const QStringList marks = first < last ? Marks(fragment.charFormat()) : QStringList();
        out += piece(start, first);
        for (const QString& mark : marks) out += mark;
        out += piece(first, last);
        for (auto m = marks.crbegin(); m != marks.crend(); ++m) out += *m;
        out += piece(last, end);
    }
    return out;
}

}  // namespace

QString MarkdownOf(const QTextDocument& doc) {
    QStringList paragraphs;
    for (QTextBlock block = doc.begin(); block.isValid(); block = block.next()) {
        const QString paragraph = ParagraphOf(block);
        if (!paragraph.isEmpty()) paragraphs << paragraph;
    }
    return paragraphs.isEmpty() ? QString() : paragraphs.join(QStringLiteral("\n\n")) + u'\n';
}

}  // namespace jb::transfer
