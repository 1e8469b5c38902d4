#pragma once
// Bounds on what an imported file hands to the document layout, so that the time an import takes
// grows with the file's size and its memory stays within a page's worth plus a fixed amount.
// Deeply nested HTML or Markdown costs the layout far more than its size: past a nesting depth no
// document needs, further levels are flattened, as the RTF reader flattens groups past its own
// limit. A paragraph of megabytes is cut into paragraphs of a bounded length before layout.

#include <cstddef>
#include <string>
#include <string_view>
#include <vector>

#include "richtext/document.h"

namespace jb::transfer {

// The deepest nesting of elements (HTML) or of block quotes and list items (Markdown) kept.
inline constexpr int kMaxImportNesting = 100;
// The longest paragraph, in bytes of UTF-8, handed to the layout.
inline constexpr std::size_t kLongestImportParagraph = 32 * 1024;

// The HTML with every element that would open deeper than `limit` levels dropped: its start tag
// and its end tag go, its content stays in the element around it. Elements whose end tag may be
// left out (a list item, a paragraph, a table cell or row) end where HTML ends them; void
// elements (a line break, an image) never nest, and scripts and styles stay whole at any depth.
// Text and comments pass unchanged.
std::string BoundHtmlNesting(std::string_view html, int limit = kMaxImportNesting);

// The Markdown with the container markers (">", list bullets and numbers) at the start of a line
// past the first `limit` dropped, and the indentation before them cut to 4 * `limit` columns.
std::string BoundMarkdownNesting(std::string_view markdown, int limit = kMaxImportNesting);

// A paragraph longer than `limit` bytes of text as several paragraphs in its format, each at
// most `limit` bytes (a picture counts as one); cut between characters, never inside one.
std::vector<richtext::Paragraph> CutLongParagraph(richtext::Paragraph paragraph,
                                                  std::size_t limit = kLongestImportParagraph);

}  // namespace jb::transfer
