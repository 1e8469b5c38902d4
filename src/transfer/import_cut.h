#pragma once
// How an imported file is cut into pages, over the lines of the assembly document as it lays
// them out: an ordinary import takes 150 lines a page; a DOS record export takes each record
// up to and including its line holding a single "~", at most 151 lines.

#include <string>
#include <string_view>
#include <vector>

namespace jb::transfer {

// The lines of an ordinary page, and the most lines of a DOS record.
inline constexpr int kImportPageLines = 150;
inline constexpr int kDosRecordLines = 151;

// How many of the leading `lines` (the texts of the laid-out lines still to cut, at least the
// first kDosRecordLines of them when there are that many) the next page takes. 0 only when
// there are no lines.
int NextPieceLines(const std::vector<std::string_view>& lines, bool dosRecords);

// What an imported file's bytes hold, before they are read as their kind.
enum class ImportContent { kText, kBinary, kNotRichText };

// A file holding a NUL byte is binary (no text format allows one); a rich-text file must open
// with "{\rtf" (after blanks).
ImportContent CheckImportContent(std::string_view bytes, bool richText);

// The bytes of a file that opens with a UTF-16 byte-order mark (either byte order) as the same
// text in UTF-8, without the mark (a lone surrogate or an odd last byte as U+FFFD); other bytes
// as they are.
std::string WithoutUtf16(std::string bytes);

// The text of a plain-text file: UTF-8 when the bytes are valid UTF-8 (a leading byte-order mark
// dropped), else Windows-1252, as UTF-8.
std::string DecodePlainText(std::string_view bytes);

}  // namespace jb::transfer
