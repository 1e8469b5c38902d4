#pragma once
// The Markdown form of a document, written by us rather than by Qt: Qt's writer leaves the
// text as it stands, so a page holding "# x", "<b>" or a backslash reads back from the file as
// a heading, raw HTML or a lost character.

#include <QString>

class QTextDocument;

namespace jb::transfer {

// `doc` as Markdown: each paragraph on one line, paragraphs apart by an empty line (an empty
// paragraph has no Markdown form and is left out), a line break inside a paragraph as a hard
// line break; bold, italic and struck-out text marked as Markdown marks them; pictures left
// out. Every character a Markdown reader (CommonMark or pandoc's, with its typography and
// extensions) would take as markup is escaped, and spaces that Markdown would fold are written
// as character references, so the reader gives back the document's text exactly.
QString MarkdownOf(const QTextDocument& doc);

}  // namespace jb::transfer
