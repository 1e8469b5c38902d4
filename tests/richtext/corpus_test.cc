// RTF files from the wild (a peer's corpus beside the project, never copied into it), read and
// compared word by word with another converter's plain text of each.

#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>
#include <vector>

#include "richtext/code_page.h"
#include "richtext/richtext.h"

namespace jb::richtext {
namespace {

namespace fs = std::filesystem;

fs::path CorpusDir() {
    const char* source = std::getenv("JB_SOURCE_DIR");
    if (source == nullptr) source = JB_SOURCE_DIR_AT_BUILD;
    return fs::path(source) / ".." / "shared" / "corpus" / "rtf-peer";
}

std::string ReadAll(const fs::path& path) {
    std::ifstream in(path, std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

// Letters and digits of any script; punctuation, symbols, spaces and private-use characters
// (symbol-font bullets) separate words.
bool IsWordChar(char32_t c) {
    if (c < 0x80) return (c >= '0' && c <= '9') || ((c | 0x20) >= 'a' && (c | 0x20) <= 'z');
    if (c < 0xC0) return c == 0xAA || c == 0xB5 || c == 0xBA || c == 0xB2 || c == 0xB3 || c == 0xB9;
    if (c == 0xD7 || c == 0xF7) return false;
    if (c >= 0x2000 && c <= 0x2BFF) return false;
    if (c >= 0x3000 && c <= 0x303F) return false;
    if (c >= 0xE000 && c <= 0xF8FF) return false;
    if (c >= 0xFE30 && c <= 0xFE4F) return false;
    if ((c >= 0xFF00 && c <= 0xFF0F) || (c >= 0xFF1A && c <= 0xFF20) || c >= 0xFFF0) return false;
    return true;
}

std::vector<std::string> Words(std::string_view utf8) {
    std::vector<std::string> words;
    std::string word;
    std::size_t i = 0;
    while (i < utf8.size()) {
        const std::size_t at = i;
        const char32_t c = NextCodePoint(utf8, i);
        if (IsWordChar(c)) {
            word.append(utf8.substr(at, i - at));
        } else if (!word.empty()) {
            words.push_back(std::move(word));
            word.clear();
        }
    }
    if (!word.empty()) words.push_back(std::move(word));
    return words;
}

std::string Join(const std::vector<std::string>& words, std::size_t from, std::size_t count) {
    std::string out;
    for (std::size_t k = from; k < words.size() && k < from + count; ++k) out += words[k] + " ";
    return out;
}

// The text with each ("target") replaced by a space.
std::string WithoutLinkTargets(const std::string& text) {
    std::string out;
    for (std::size_t i = 0; i < text.size();) {
        if (text.compare(i, 2, "(\"") == 0) {
            const std::size_t close = text.find('"', i + 2);
            if (close != std::string::npos && close + 1 < text.size() && text[close + 1] == ')') {
                out += ' ';
                i = close + 2;
                continue;
            }
        }
        out += text[i++];
    }
    return out;
}

TEST(PeerCorpus, EveryFileLoadsWithItsWordsInOrder) {
    const fs::path dir = CorpusDir();
    if (!fs::exists(dir / "rtf")) GTEST_SKIP() << "the peer corpus is not at " << dir;
    // Where the other converter's conventions differ from ours.
    // - It writes a link's target after the link's text as ("target"); the editor shows only
    //   the text. Applied to every file; it matters in hyperlink, hyperlinks and
    //   mac_textedit_hyperlink.
    // - encoding.rtf holds two whole RTF documents one after the other. The other converter
    //   reads both; our reader stops at the first document's final brace (what follows the
    //   rich text of a page is never text), so our words are a prefix of its words.
    const std::string secondDocumentIgnored = "encoding.rtf";
    // - minimal_table.rtf and pages_table_sample.rtf come without a text of the other
    //   converter: they must load and give words.
    int files = 0;
    for (const auto& entry : fs::directory_iterator(dir / "rtf")) {
        const fs::path rtfPath = entry.path();
        const std::string name = rtfPath.filename().string();
        SCOPED_TRACE(name);
        ++files;
        const std::string rtf = ReadAll(rtfPath);
        const std::string plain = PlainTextOf(rtf);
        const std::vector<std::string> ours = Words(plain);
        const fs::path textPath = dir / "text" / (rtfPath.stem().string() + ".txt");
        if (!fs::exists(textPath)) {
            EXPECT_FALSE(ours.empty());
            continue;
        }
        const std::vector<std::string> theirs = Words(WithoutLinkTargets(ReadAll(textPath)));
        if (name == secondDocumentIgnored) {
            ASSERT_LT(ours.size(), theirs.size());
            EXPECT_TRUE(std::equal(ours.begin(), ours.end(), theirs.begin()));
            continue;
        }
        std::size_t k = 0;
        while (k < ours.size() && k < theirs.size() && ours[k] == theirs[k]) ++k;
        EXPECT_EQ(ours.size(), theirs.size());
        EXPECT_EQ(k, std::min(ours.size(), theirs.size()))
            << "first difference at word " << k << ": ours \"" << Join(ours, k, 8) << "\" theirs \""
            << Join(theirs, k, 8) << "\"";
    }
    EXPECT_EQ(files, 35);
}

// Writing what was read and reading it again changes nothing more after one pass, for every
// file of the corpus, and the plain text survives the first pass.
TEST(PeerCorpus, WrittenRtfIsAFixedPoint) {
    const fs::path dir = CorpusDir();
    if (!fs::exists(dir / "rtf")) GTEST_SKIP() << "the peer corpus is not at " << dir;
    for (const auto& entry : fs::directory_iterator(dir / "rtf")) {
        SCOPED_TRACE(entry.path().filename().string());
        const std::string rtf = ReadAll(entry.path());
        const std::string once = WriteRtf(ReadDocument(rtf));
        EXPECT_EQ(PlainTextOf(once), PlainTextOf(rtf));
        EXPECT_EQ(WriteRtf(ReadDocument(once)), once);
    }
}

}  // namespace
}  // namespace jb::richtext
