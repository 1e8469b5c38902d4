#pragma once
// The RTF reader. It reads a page body (or any RTF file) and reports its contents to a Sink.
//
// Input that does not begin with "{\rtf" is plain text in Windows-1252: each line (ended by
// CR LF, LF or CR) is a paragraph in Arial 10 pt, and a NUL byte ends the text. Rich text ends
// at the brace that closes its first group; whatever follows (the trailer byte of a stored
// page, or the byte after a deciphered page) is ignored.
//
// The reader accepts any bytes: it never fails, never recurses on the input's nesting, and
// allocates in proportion to its input.

#include <string_view>

#include "richtext/sink.h"

namespace jb::richtext {

// True when `input` begins with "{\rtf".
bool IsRtf(std::string_view input);

void ReadRtf(std::string_view input, Sink& sink);

// The deepest group nesting the reader follows; deeper groups are skipped whole.
inline constexpr int kMaxGroupDepth = 200;

}  // namespace jb::richtext
