#pragma once
// Input that is not RTF, read as the RTF reader reads it (see rtf_reader.h): Windows-1252 text,
// each line (ended by CR LF, LF or CR) a paragraph in Arial 10 pt, up to the first NUL byte.
// Control characters other than TAB, and the bytes Windows-1252 leaves unassigned, are left out.

#include <string_view>

#include "richtext/sink.h"

namespace jb::richtext {

void ReadPlainText(std::string_view input, Sink& sink);

}  // namespace jb::richtext
