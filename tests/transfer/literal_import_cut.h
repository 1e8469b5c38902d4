#pragma once
// The import cut as the program has always described it, kept literally for the differential
// tests of PageCutter: the whole file in one document 641 pixels wide; again and again, select
// from its start to the start of line 150 (or, for DOS records, through the first of lines 0 to
// 149 that holds only "~", else to the start of line 151), take the selection as a page and
// delete it, until the document is empty.

#include <string>
#include <vector>

#include "richtext/document.h"

namespace jb::test {

// The plain text of each page, in order. A DOS record that ends at its tilde line loses the
// tilde.
std::vector<std::string> LiteralImportCut(const richtext::Document& file, bool dosRecords);

}  // namespace jb::test
