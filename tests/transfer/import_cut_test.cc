#include "transfer/import_cut.h"

#include <gtest/gtest.h>

#include <string>
#include <tuple>
#include <vector>

#include "transfer/file_types.h"

namespace jb::transfer {
namespace {

std::vector<std::string_view> Lines(const std::vector<std::string>& storage) {
    return {storage.begin(), storage.end()};
}

std::vector<std::string> Plain(int n) { return std::vector<std::string>(static_cast<std::size_t>(n), "text"); }

TEST(NextPieceLines, OrdinaryPagesTake150Lines) {
    for (const auto& [available, taken] : std::vector<std::pair<int, int>>{{0, 0}, {1, 1}, {150, 150}, {151, 150}}) {
        const std::vector<std::string> lines = Plain(available);
        EXPECT_EQ(taken, NextPieceLines(Lines(lines), false)) << available;
    }
    std::vector<std::string> withTilde = Plain(151);
    withTilde[3] = "~";
    EXPECT_EQ(150, NextPieceLines(Lines(withTilde), false)) << "a tilde means nothing to an ordinary import";
}

TEST(NextPieceLines, DosRecordsEndAtALineHoldingOnlyATilde) {
    const std::vector<std::tuple<int, int, std::string, int>> cases = {
        // lines available, where the special line is, its text, lines taken
        {151, 0, "~", 1},     {151, 9, "~", 10},     {151, 149, "~", 150},  {151, 150, "~", 151},
        {151, 9, "~ ", 151},  {151, 9, " ~", 151},   {151, 9, "~~", 151},   {20, 9, "x", 20},
        {200, 160, "~", 151}, {5, 4, "~", 5},
    };
    for (const auto& [available, at, text, taken] : cases) {
        std::vector<std::string> lines = Plain(available);
        lines[static_cast<std::size_t>(at)] = text;
        EXPECT_EQ(taken, NextPieceLines(Lines(lines), true)) << available << " lines, \"" << text << "\" at " << at;
    }
}

TEST(ImportKindOf, TxtAndRtfByTheirExactExtensionElseTheChosenType) {
    const std::vector<std::tuple<std::string, int, FileKind>> cases = {
        {"a.txt", 0, FileKind::kPlainText},   {"a.rtf", 1, FileKind::kRichText}, {"a.TXT", 0, FileKind::kRichText},
        {"a.RTF", 1, FileKind::kPlainText},   {"a.htm", 2, FileKind::kHtml},     {"notes", 3, FileKind::kMarkdown},
        {"a.html", 1, FileKind::kPlainText},  {"a.md", 9, FileKind::kRichText},  {"a.md", -1, FileKind::kRichText},
        {"dir.txt/a.md", 3, FileKind::kMarkdown},
    };
    for (const auto& [name, chosen, kind] : cases)
        EXPECT_EQ(kind, ImportKindOf(name, chosen, TypeChoice::kChosen)) << name << " " << chosen;
    // A default type gives way to an extension that names a kind, in any letter case.
    const std::vector<std::tuple<std::string, int, FileKind>> defaults = {
        {"a.html", 0, FileKind::kHtml},     {"a.HTM", 1, FileKind::kHtml},         {"a.md", 0, FileKind::kMarkdown},
        {"a.Markdown", 1, FileKind::kMarkdown}, {"a.TXT", 0, FileKind::kPlainText}, {"a.Rtf", 1, FileKind::kRichText},
        {"notes", 3, FileKind::kMarkdown},  {"a.doc", 1, FileKind::kPlainText},    {"a.md.bak", 2, FileKind::kHtml},
        {"dir.md/notes", 0, FileKind::kRichText}, {".md", 1, FileKind::kMarkdown}, {"a.txt", 2, FileKind::kPlainText},
    };
    for (const auto& [name, type, kind] : defaults)
        EXPECT_EQ(kind, ImportKindOf(name, type, TypeChoice::kDefault)) << name << " " << type;
    const std::vector<FileType>& types = ImportFileTypes();
    ASSERT_EQ(4u, types.size());
    EXPECT_EQ("Rich Text Format", types[0].name);
    EXPECT_EQ("Plain Text Format", types[1].name);
    EXPECT_EQ("HTML Document", types[2].name);
    EXPECT_EQ("Markdown", types[3].name);
    EXPECT_EQ("*.md *.markdown", types[3].patterns);
}

TEST(CheckImportContent, BinaryAndNonRtfAreRefused) {
    using namespace std::string_literals;
    const std::vector<std::tuple<std::string, bool, ImportContent>> cases = {
        {"plain words", false, ImportContent::kText},
        {"", false, ImportContent::kText},
        {"a\0b"s, false, ImportContent::kBinary},
        {"{\\rtf1 x}", true, ImportContent::kText},
        {"\r\n  {\\rtf1 x}", true, ImportContent::kText},
        {"plain words", true, ImportContent::kNotRichText},
        {"{\\rtf", true, ImportContent::kText},
        {"{\\rt", true, ImportContent::kNotRichText},
        {"", true, ImportContent::kNotRichText},
        {"{\\rtf1\0}"s, true, ImportContent::kBinary},
    };
    for (const auto& [bytes, rich, expected] : cases) EXPECT_EQ(expected, CheckImportContent(bytes, rich)) << bytes;
}

TEST(DecodePlainText, Utf8StaysElseWindows1252) {
    const std::vector<std::pair<std::string, std::string>> cases = {
        {"plain", "plain"},
        {"caf\xC3\xA9", "caf\xC3\xA9"},
        {"\xEF\xBB\xBF" "bom", "bom"},
        {"caf\xE9", "caf\xC3\xA9"},
        {"\x80 euro", "\xE2\x82\xAC euro"},
        {"\xC3\x28", "\xC3\x83("},                  // a broken sequence: the whole file is Windows-1252
        {"\xE0\x80\x80", "\xC3\xA0\xE2\x82\xAC\xE2\x82\xAC"},  // an overlong form is not UTF-8
        {"\xED\xA0\x80", "\xC3\xAD\xC2\xA0\xE2\x82\xAC"},      // nor is a surrogate
    };
    for (const auto& [bytes, text] : cases) EXPECT_EQ(text, DecodePlainText(bytes)) << bytes;
}

}  // namespace
}  // namespace jb::transfer
