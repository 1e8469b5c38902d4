#pragma once
// The field instructions of RTF that the reader turns into links.

#include <string>
#include <string_view>

namespace jb::richtext {

// The target of a HYPERLINK field instruction ("HYPERLINK url \\l bookmark" gives
// "url#bookmark"), without control characters or quotes; empty when the field is something else.
std::string LinkTarget(std::string_view instruction);

}  // namespace jb::richtext
