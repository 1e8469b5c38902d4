#pragma once
// The words of a text that the spelling looks at: runs of letters and digits, with apostrophes
// inside; words holding a digit, and the parts of web and mail addresses, are left out.

#include <QString>
#include <vector>

namespace jb::spelling {

struct WordSpan {
    int start = 0;
    int length = 0;
};

// The checked words of one paragraph's text, in order.
std::vector<WordSpan> CheckedWords(const QString& text);

}  // namespace jb::spelling
