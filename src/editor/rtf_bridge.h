#pragma once
// Moves rich text between the RTF codec (richtext/) and Qt's text engine. Pages come in and go
// out as RTF byte strings; inside the editor they are QTextDocuments.
//
// What carries over: font family, point size, colour, bold, italic, single underline, strike,
// superscript and subscript, highlight (the text background); paragraph alignment, first-line,
// left and right indents, space before and after; links (as anchors with an href); PNG and JPEG
// pictures, kept in the document's resources as their encoded bytes under a "jbimage:" name.
// A table of a QTextDocument is written cell by cell, each cell's paragraphs as paragraphs.

#include <QString>
#include <string>
#include <string_view>

#include "richtext/document.h"

class QTextCursor;
class QTextDocument;

namespace jb::editor {

// Replaces the contents of `doc` with the page in `rtfOrPlain` (RTF, or plain Windows-1252
// text; what follows the end of the rich text is ignored). The load is not an undo step.
// Loaded into a QTextEdit's own document, the page carries the editor's caret (position and
// anchor) to its end, and the editor's next caret move or caret repaint lays the whole page out
// at once; for a big page, load into a new QTextDocument and give that to the editor.
void LoadRtf(QTextDocument& doc, std::string_view rtfOrPlain);

// Inserts the rich text at the cursor (replacing its selection), as a paste does: the first
// paragraph joins the cursor's paragraph and the last paragraph's end is not inserted.
void InsertRtf(QTextCursor& cursor, std::string_view rtfOrPlain);

// Appends the rich text at the end of `doc` as paragraphs of its own: in a new paragraph when
// `newParagraph`, else in the document's last one, which takes the first paragraph's format.
// Not an undo step of its own beyond what the document records.
void AppendRtf(QTextDocument& doc, std::string_view rtfOrPlain, bool newParagraph);
void AppendRichText(QTextDocument& doc, const richtext::Document& rich, bool newParagraph);

// The whole document as an RTF page body (no trailer byte).
std::string SaveRtf(const QTextDocument& doc);
// The cursor's selection as an RTF document; an empty selection gives an empty document.
std::string SaveSelectionRtf(const QTextCursor& cursor);

// The document model of the whole document, or of the characters [from, to).
richtext::Document ToRichText(const QTextDocument& doc);
richtext::Document ToRichText(const QTextDocument& doc, int from, int to);
// Appends a document model at the cursor, as InsertRtf does.
void InsertRichText(QTextCursor& cursor, const richtext::Document& rich);

// Plain text in and out. The text the editor shows is QTextDocument::toPlainText(); it equals
// richtext::PlainTextOf of the saved page.
void LoadPlainText(QTextDocument& doc, const QString& text);
QString EditorPlainText(const QTextDocument& doc);

}  // namespace jb::editor
