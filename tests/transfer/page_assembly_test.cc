#include "transfer/page_assembly.h"

#include <QTextBlock>
#include <QTextCursor>
#include <gtest/gtest.h>

#include "richtext/richtext.h"
#include "store/io_error.h"
#include "store/page_store.h"
#include "support/temp_dir.h"
#include "workspace/scripted_dialogs.h"

namespace jb::transfer {
namespace {

std::string IdOf(int n) { return "0000000" + std::string(1, static_cast<char>('A' + n)); }

// Pages "page 0" .. "page n-1"; a protected page keeps its password in `passwords`.
class PageAssemblyTest : public ::testing::Test {
protected:
    PageAssemblyTest() { test::EnsureApplication(); }

    std::string DataSet() const { return dir.Path() + "data.jb"; }
    void WritePages(int n, const std::map<int, std::string>& passwords = {}) {
        for (int i = 0; i < n; ++i) {
            auto p = passwords.find(i);
            ASSERT_EQ(0u, store.WritePage(DataSet(), i, p == passwords.end() ? "" : p->second, false, false, IdOf(i),
                                          richtext::RtfFromPlainText("page " + std::to_string(i)), 0, 44000));
        }
    }
    std::string Text() const { return r1.Document().toPlainText().toStdString(); }

    test::TempDir dir;
    PageStore store;
    PageAssembly r1;
    AssemblyOptions options;
};

TEST_F(PageAssemblyTest, RangeFramesEachPageWithSeparatorsOrJustJoinsThem) {
    WritePages(4);
    const std::vector<std::tuple<bool, int, int, std::string>> cases = {
        {true, 1, 2, "---Record Number 1 begins---\npage 1\n\n---Record Number 2 begins---\npage 2\n"},
        {false, 1, 2, "page 1\npage 2"},
        {true, 3, 3, "---Record Number 3 begins---\npage 3\n"},
        {true, 3, 2, ""},
        {false, 2, 1, ""},
    };
    for (const auto& [marks, from, to, expected] : cases) {
        r1.Clear();
        options.marks = marks;
        r1.AppendRange(store, DataSet(), from, to, options);
        EXPECT_EQ(expected, Text()) << "marks " << marks << ", " << from << " to " << to;
    }
}

TEST_F(PageAssemblyTest, RangeProgressCountsFromFromToTo) {
    WritePages(5);
    std::vector<int> seen;
    options.progress = [&](int p) { seen.push_back(p); };
    r1.AppendRange(store, DataSet(), 0, 4, options);
    EXPECT_EQ((std::vector<int>{0, 25, 50, 75, 100}), seen);
    seen.clear();
    r1.AppendRange(store, DataSet(), 2, 2, options);
    EXPECT_EQ((std::vector<int>{0}), seen) << "a range of one page stays at 0";
}

TEST_F(PageAssemblyTest, AProtectedPageIsDecipheredOrLeftOutWithoutTrace) {
    WritePages(3, {{1, "Secret"}});
    std::vector<std::pair<int, std::string>> asked;
    for (bool given : {false, true}) {
        asked.clear();
        options.unlock = [&](int page, const std::string& password) {
            asked.emplace_back(page, password);
            return given;
        };
        r1.Clear();
        r1.AppendRange(store, DataSet(), 0, 2, options);
        EXPECT_EQ((std::vector<std::pair<int, std::string>>{{1, "Secret"}}), asked);
        EXPECT_EQ(given ? "---Record Number 0 begins---\npage 0\n\n---Record Number 1 begins---\npage 1\n\n"
                          "---Record Number 2 begins---\npage 2\n"
                        : "---Record Number 0 begins---\npage 0\n\n---Record Number 2 begins---\npage 2\n",
                  Text());
    }
}

TEST_F(PageAssemblyTest, QueryKeepsItsOrderSkipsMissingPagesAndKeepsTheSeparatorOfALockedOne) {
    WritePages(4, {{3, "abc"}});
    std::vector<int> seen;
    int pending = 0;
    options.progress = [&](int p) { seen.push_back(p); };
    options.pendingEvents = [&] { ++pending; };
    options.unlock = [](int, const std::string&) { return false; };
    r1.AppendQuery(store, DataSet(), {"page and \"x\"", IdOf(1) + "trailing", "ZZZZZZZZ", IdOf(3), IdOf(0)}, options);
    EXPECT_EQ("Query: \"page and \"x\"\"\n\n---Record Number 1 begins---\npage 1\n\n---Record Number 3 begins---\n"
              "---Record Number 0 begins---\npage 0\n",
              Text());
    EXPECT_EQ((std::vector<int>{20, 80}), seen) << "k * 100 / count for the pages written";
    EXPECT_EQ(2, pending);

    r1.Clear();
    options.marks = false;
    r1.AppendQuery(store, DataSet(), {"q", IdOf(2), IdOf(0)}, options);
    EXPECT_EQ("Query: \"q\"\n\npage 2\npage 0", Text()) << "the heading stays without separators";
}

TEST_F(PageAssemblyTest, AQueryWithoutItsTextIsAnError) {
    WritePages(1);
    EXPECT_THROW(r1.AppendQuery(store, DataSet(), {}, options), IoError);
}

TEST_F(PageAssemblyTest, PagesKeepTheirFormattingAndSeparatorsTakeNone) {
    ASSERT_EQ(0u, store.WritePage(DataSet(), 0, "", false, false, IdOf(0),
                                  "{\\rtf1\\ansi{\\fonttbl{\\f0 Courier New;}}\\qc\\f0\\fs40\\b Bold words\\par}", 0, 1));
    ASSERT_EQ(0u, store.WritePage(DataSet(), 1, "", false, false, IdOf(1), "plain words", 0, 1));
    r1.AppendRange(store, DataSet(), 0, 1, options);
    const QTextDocument& doc = r1.Document();
    ASSERT_EQ("---Record Number 0 begins---\nBold words\n\n---Record Number 1 begins---\nplain words\n", Text());
    const QTextBlock bold = doc.findBlockByNumber(1);
    EXPECT_EQ(Qt::AlignHCenter, bold.blockFormat().alignment() & Qt::AlignHorizontal_Mask);
    EXPECT_EQ(QFont::Bold, bold.begin().fragment().charFormat().fontWeight());
    for (int separator : {2, 3}) {
        const QTextBlock line = doc.findBlockByNumber(separator);
        EXPECT_NE(Qt::AlignHCenter, line.blockFormat().alignment() & Qt::AlignHorizontal_Mask) << separator;
        QTextCursor at(line);
        at.movePosition(QTextCursor::EndOfBlock);
        EXPECT_NE(QFont::Bold, at.charFormat().fontWeight()) << "block " << separator;
    }
    EXPECT_EQ("Arial", doc.defaultFont().family()) << "text that names no font reads the same everywhere";
}

TEST_F(PageAssemblyTest, ADeletedPageInARangeGivesItsSeparatorAndNoText) {
    WritePages(2);
    ASSERT_EQ(0u, store.WritePage(DataSet(), 2, "", true, false, IdOf(2), "", 0, 1));
    r1.AppendRange(store, DataSet(), 1, 2, options);
    EXPECT_EQ("---Record Number 1 begins---\npage 1\n\n---Record Number 2 begins---\n\n", Text());
}

}  // namespace
}  // namespace jb::transfer
