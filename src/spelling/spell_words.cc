#include "spelling/spell_words.h"

namespace jb::spelling {

namespace {

bool WordChar(QChar c) { return c.isLetterOrNumber() || c.isMark(); }
bool Apostrophe(QChar c) { return c == '\'' || c == QChar(0x2019); }

// A run of non-space characters that is an address: "x://", "www." or holding "@".
bool Address(const QString& text, int from, int to) {
    const QStringView chunk = QStringView(text).mid(from, to - from);
    return chunk.contains(u"://") || chunk.startsWith(u"www.", Qt::CaseInsensitive) || chunk.contains(u'@');
}

}  // namespace

std::vector<WordSpan> CheckedWords(const QString& text) {
    std::vector<WordSpan> words;
    const int n = static_cast<int>(text.size());
    int chunkStart = 0;
    int chunkEnd = -1;  // the end of the current run of non-space characters, once known
    bool chunkIsAddress = false;
    int i = 0;
    while (i < n) {
        if (!WordChar(text[i])) {
            ++i;
            continue;
        }
        const int start = i;
        bool digit = false;
        while (i < n) {
            if (WordChar(text[i])) {
                digit = digit || text[i].isDigit();
                ++i;
            } else if (Apostrophe(text[i]) && i + 1 < n && WordChar(text[i + 1])) {
                ++i;
            } else {
                break;
            }
        }
        if (start >= chunkEnd) {
            chunkStart = start;
            while (chunkStart > 0 && !text[chunkStart - 1].isSpace()) --chunkStart;
            chunkEnd = start;
            while (chunkEnd < n && !text[chunkEnd].isSpace()) ++chunkEnd;
            chunkIsAddress = Address(text, chunkStart, chunkEnd);
        }
        if (!digit && !chunkIsAddress) words.push_back({start, i - start});
    }
    return words;
}

}  // namespace jb::spelling
