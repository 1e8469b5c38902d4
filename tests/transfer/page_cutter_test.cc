#include "transfer/page_cutter.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <random>
#include <string>
#include <vector>

#include "richtext/richtext.h"
#include "transfer/import_bounds.h"
#include "transfer/literal_import_cut.h"
#include "workspace/scripted_dialogs.h"

namespace jb::transfer {
namespace {

class PageCutterTest : public ::testing::Test {
protected:
    PageCutterTest() { test::EnsureApplication(); }

    // The plain text of each page cut from `bytes` read as `kind`.
    static std::vector<std::string> Pages(const std::string& bytes, FileKind kind, bool dos = false) {
        std::unique_ptr<ParagraphSource> source = OpenImportSource(bytes, kind);
        EXPECT_TRUE(source) << "the file reads as its kind";
        std::vector<std::string> pages;
        if (!source) return pages;
        PageCutter cutter(*source, dos);
        std::string rtf;
        while (cutter.NextPiece(rtf)) pages.push_back(richtext::PlainTextOf(rtf));
        EXPECT_EQ(100, cutter.Percent());
        return pages;
    }
    static std::string NumberedLines(int from, int to) {
        std::string text;
        for (int i = from; i <= to; ++i) text += "line " + std::to_string(i) + "\n";
        return text;
    }
};

TEST_F(PageCutterTest, PlainTextMakesPagesOf150Lines) {
    std::vector<std::string> pages = Pages(NumberedLines(1, 300), FileKind::kPlainText);
    ASSERT_EQ(2u, pages.size());
    EXPECT_EQ(NumberedLines(1, 150), pages[0] + "\n");
    EXPECT_EQ(NumberedLines(151, 300), pages[1] + "\n");
    pages = Pages(NumberedLines(1, 301), FileKind::kPlainText);
    ASSERT_EQ(3u, pages.size());
    EXPECT_EQ("line 301", pages[2]);
    EXPECT_TRUE(Pages("", FileKind::kPlainText).empty()) << "an empty file makes no page";
    EXPECT_EQ((std::vector<std::string>{"one line without end"}), Pages("one line without end", FileKind::kPlainText));
}

TEST_F(PageCutterTest, ALongParagraphCountsAsSeveralLines) {
    const std::string paragraph = [] {
        std::string p;
        for (int i = 0; i < 300; ++i) p += "word" + std::to_string(i) + " ";
        return p + "end";
    }();
    const std::vector<std::string> pages = Pages(paragraph + "\n" + NumberedLines(1, 200), FileKind::kPlainText);
    ASSERT_EQ(2u, pages.size());
    const std::string& first = pages[0];
    EXPECT_EQ(0u, first.find(paragraph)) << "the paragraph is not cut: it is fewer than 150 lines";
    const std::size_t shortLines = static_cast<std::size_t>(std::count(first.begin(), first.end(), '\n'));
    EXPECT_LT(shortLines, 149u) << "its wrapped lines count against the page's 150";
    EXPECT_EQ(NumberedLines(1, 200), pages[0].substr(paragraph.size() + 1) + "\n" + pages[1] + "\n")
        << "nothing is lost or repeated at the cut";
}

TEST_F(PageCutterTest, AMegabyteLineIsCutWithoutLosingACharacter) {
    std::string line;
    std::mt19937 random(7);
    while (line.size() < 1'000'000) line += std::string(1 + random() % 12, static_cast<char>('a' + random() % 26)) + " ";
    const std::vector<std::string> pages = Pages(line, FileKind::kPlainText);
    ASSERT_GT(pages.size(), 20u);
    std::string joined;
    for (const std::string& p : pages) joined += p;
    EXPECT_EQ(line, joined);
}

// A long line goes into the layout piece by piece: the window never holds much more than its
// own fill, however long the line, and nothing of the line is lost.
TEST_F(PageCutterTest, ALongLineIsLaidOutPieceByPiece) {
    std::string line;
    std::mt19937 random(11);
    while (line.size() < 1'000'000) line += std::string(1 + random() % 12, static_cast<char>('a' + random() % 26)) + " ";
    std::unique_ptr<ParagraphSource> source = OpenImportSource(line, FileKind::kPlainText);
    ASSERT_TRUE(source);
    PageCutter cutter(*source, false);
    std::string rtf, joined;
    int most = 0;
    while (cutter.NextPiece(rtf)) {
        most = std::max(most, cutter.WindowCharacters());
        joined += richtext::PlainTextOf(rtf);
    }
    EXPECT_LT(most, 200 * 1024);
    EXPECT_EQ(line, joined);
}

// Nesting deeper than the limit is laid out as the limit: the levels past it add nothing. (Lists
// are bounded alike, but their levels do not show in a page's rich text.)
TEST_F(PageCutterTest, NestingPastTheLimitIsFlattened) {
    struct Case {
        const char* name;
        FileKind kind;
        std::string level;
    };
    const Case cases[] = {
        {"HTML quotes", FileKind::kHtml, "<blockquote>x"},
        {"HTML blocks", FileKind::kHtml, "<div style=\"margin-left:4px\">x"},
        {"Markdown quotes", FileKind::kMarkdown, "> "},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        // The deepest indent of the file nested `depth` levels.
        const auto indent = [&](int depth) {
            std::string bytes;
            for (int i = 0; i < depth; ++i) bytes += c.level;
            std::unique_ptr<ParagraphSource> source = OpenImportSource(bytes + "end", c.kind);
            int deepest = 0;
            richtext::Paragraph paragraph;
            while (source && source->Next(paragraph)) deepest = std::max(deepest, paragraph.format.leftIndent);
            return deepest;
        };
        EXPECT_LT(indent(2), indent(kMaxImportNesting)) << "each level shows";
        EXPECT_EQ(indent(kMaxImportNesting + 10), indent(kMaxImportNesting + 400));
    }
}

TEST_F(PageCutterTest, DosRecordsEndAtTheirTildeLine) {
    std::string file = "first record\nsecond line\n~\nsecond record\n~ \nstill the second\n~\n";
    std::vector<std::string> pages = Pages(file, FileKind::kPlainText, true);
    EXPECT_EQ((std::vector<std::string>{"first record\nsecond line\n", "second record\n~ \nstill the second\n"}), pages)
        << "the tilde goes, its line stays; a tilde with a space after it ends nothing";
    pages = Pages(NumberedLines(1, 200) + "~\nnext\n~\n", FileKind::kPlainText, true);
    ASSERT_EQ(3u, pages.size());
    EXPECT_EQ(NumberedLines(1, 151), pages[0] + "\n") << "a record without a tilde in 150 lines is cut after 151";
    EXPECT_EQ(NumberedLines(152, 200), pages[1]) << "the rest of the record, up to its tilde";
    EXPECT_EQ("next\n", pages[2]);
    EXPECT_EQ((std::vector<std::string>{"no tilde at all"}), Pages("no tilde at all\n", FileKind::kPlainText, true));
}

TEST_F(PageCutterTest, EachTypeReadsAsItself) {
    const std::vector<std::string> rich =
        Pages("{\\rtf1\\ansi{\\fonttbl{\\f0 Arial;}}\\f0\\b bold\\b0  plain\\par second}", FileKind::kRichText);
    EXPECT_EQ((std::vector<std::string>{"bold plain\nsecond"}), rich);
    std::unique_ptr<ParagraphSource> source = OpenImportSource("{\\rtf1\\b bold\\b0  plain}", FileKind::kRichText);
    PageCutter cutter(*source, false);
    std::string rtf;
    ASSERT_TRUE(cutter.NextPiece(rtf));
    EXPECT_NE(std::string::npos, rtf.find("\\b bold")) << rtf;
    EXPECT_EQ((std::vector<std::string>{"Title\nsome text"}),
              Pages("<html><body><h1>Title</h1><p>some <b>text</b></p></body></html>", FileKind::kHtml));
    EXPECT_EQ((std::vector<std::string>{"Title\nsome text"}), Pages("# Title\n\nsome **text**\n", FileKind::kMarkdown));
    EXPECT_EQ((std::vector<std::string>{"caf\xC3\xA9"}), Pages("caf\xE9", FileKind::kPlainText))
        << "a file that is not UTF-8 reads as Windows-1252";
    using namespace std::string_literals;
    EXPECT_FALSE(OpenImportSource("binary\0data"s, FileKind::kPlainText));
    EXPECT_FALSE(OpenImportSource("not rich text", FileKind::kRichText));
}

// The window of the cutter against the whole-document cut, on random files: paragraphs from
// empty to several thousand characters, tilde lines with and without a trailing space.
TEST_F(PageCutterTest, AgreesWithTheLiteralCutOnRandomFiles) {
    std::mt19937 random(20261211);
    for (int round = 0; round < 40; ++round) {
        std::string text;
        const int paragraphs = 1 + static_cast<int>(random() % 700);
        for (int p = 0; p < paragraphs; ++p) {
            const unsigned kind = random() % 20;
            if (kind == 0) {
                text += "~";
            } else if (kind == 1) {
                text += "~ ";
            } else if (kind > 2) {
                const int words = kind == 3 ? static_cast<int>(random() % 2000) : static_cast<int>(random() % 12);
                for (int w = 0; w < words; ++w) text += std::string(1 + random() % 10, static_cast<char>('a' + random() % 26)) + " ";
            }
            text += "\n";
        }
        for (bool dos : {false, true}) {
            std::unique_ptr<ParagraphSource> whole = OpenImportSource(text, FileKind::kPlainText);
            richtext::Document file;
            richtext::Paragraph paragraph;
            while (whole->Next(paragraph)) file.paragraphs.push_back(paragraph);
            const std::vector<std::string> expected = test::LiteralImportCut(file, dos);
            ASSERT_EQ(expected, Pages(text, FileKind::kPlainText, dos)) << "round " << round << (dos ? " DOS" : "");
        }
    }
}

TEST(PageAsStored, IsWhatTheEditorStoresAndIndexes) {
    test::EnsureApplication();
    const StoredPage page = PageAsStored("{\\rtf1\\ansi{\\fonttbl{\\f0 Arial;}}\\f0\\fs20 two words\\par}");
    EXPECT_EQ("two words", page.plainText);
    EXPECT_EQ("two words", richtext::PlainTextOf(page.rtf));
    EXPECT_EQ(page.rtf, PageAsStored(page.rtf).rtf) << "stable once stored";
}

}  // namespace
}  // namespace jb::transfer
