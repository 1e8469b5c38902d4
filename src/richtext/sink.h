#pragma once
// What the RTF reader reports, in document order. Text is UTF-8 and never holds a CR, LF or
// other control character except TAB; a line break inside a paragraph (\line) comes as U+2028,
// a no-break space as U+00A0, a no-break hyphen as U+2011, an optional hyphen as U+00AD.
//
// Tables are flattened by the reader: the cells of a row come as one paragraph with a TAB
// between cells, and the row ends that paragraph. TableCellEnd and TableRowEnd tell a sink
// where the structure was, before the TAB and the paragraph end they stand for.

#include <string_view>

#include "richtext/format.h"

namespace jb::richtext {

class Sink {
public:
    virtual ~Sink() = default;
    // A run of text in one character format (consecutive calls may share a format).
    virtual void Text(std::string_view utf8, const CharFormat& format) = 0;
    // The end of a paragraph, with the paragraph's format. The reader ends the last paragraph
    // of a document too when it holds anything; an empty unterminated last paragraph is dropped.
    virtual void ParagraphEnd(const ParaFormat& format) = 0;
    // A PNG or JPEG picture standing in the text.
    virtual void Picture(const Image& image, const CharFormat& format) = 0;
    // Text between LinkStart and LinkEnd is the visible text of a hyperlink to `href`
    // ("#name" for a link to a bookmark in the same document). Links do not nest.
    virtual void LinkStart(std::string_view href) = 0;
    virtual void LinkEnd() = 0;
    virtual void TableCellEnd() {}
    virtual void TableRowEnd() {}
};

}  // namespace jb::richtext
