#pragma once
// The rich-text codec in a few calls: what the rest of the program uses to read a page body,
// take its plain text, and make rich text from plain text.

#include <string>
#include <string_view>

#include "richtext/document.h"
#include "richtext/rtf_reader.h"
#include "richtext/rtf_writer.h"

namespace jb::richtext {

// The document in `rtfOrPlain` (RTF, or plain Windows-1252 text; see rtf_reader.h).
Document ReadDocument(std::string_view rtfOrPlain);

// The UTF-8 plain text of a page body, exactly as the editor shows it as plain text (see
// PlainText in document.h for how breaks, tabs, tables and pictures appear). Whatever follows
// the end of the rich text is ignored.
std::string PlainTextOf(std::string_view rtfOrPlain);

// A whole RTF document holding `utf8Text`: each line (ended by CR LF, LF or CR) a paragraph,
// in the font `fontName` at `pointSize` points.
std::string RtfFromPlainText(std::string_view utf8Text, const std::string& fontName = "Arial",
                             int pointSize = 10);

}  // namespace jb::richtext
