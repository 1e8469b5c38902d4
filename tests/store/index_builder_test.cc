#include "store/index_builder.h"

#include <gtest/gtest.h>

#include <random>

#include "support/temp_dir.h"

namespace jb {
namespace {

using test::TempDir;
using test::WriteFileBytes;

// A page of words drawn from a small vocabulary chosen to stress the entry order: words that are
// prefixes of one another or differ only after a digit or an apostrophe (which sort below "="),
// letter case, punctuation that KeepWordChars drops, short words and stop words.
std::string RandomPageText(std::mt19937& random) {
    static const char* const kWords[] = {"ab",   "abc", "ab1",  "AB1", "ab'", "abc1", "Abc", "zeta", "ZETA.", "e-mail",
                                         "email", "x",  "the", "The", "don't", "9lives", "ab`", "abcd", "a.b.c", "\xC3\xA9t\xC3\xA9"};
    std::uniform_int_distribution<int> count(0, 12), pick(0, std::size(kWords) - 1), gap(0, 3);
    std::string text;
    for (int n = count(random); n > 0; --n) {
        text += kWords[pick(random)];
        text += " \t\n\r"[gap(random)];
    }
    return text;
}

// IDs that collide: the same ID on several pages, IDs equal but for letter case, an empty ID, and
// IDs that are prefixes of one another.
std::string RandomId(std::mt19937& random) {
    static const char* const kIds[] = {"00A3F19C", "00a3f19c", "00A3F19c", "7FFF0000", "7fff", "", "0000000A", "FFFFFFFF"};
    return kIds[std::uniform_int_distribution<int>(0, std::size(kIds) - 1)(random)];
}

TEST(IndexBuilder, BuildsTheListThatAddingPageByPageBuilds) {
    TempDir dir;
    const std::string dataSet = dir.File("data.jb");
    WriteFileBytes(dir.File("Exclude.lst"), "THE\r\nzeta\r\n");
    std::mt19937 random(20261210);
    for (int round = 0; round < 300; ++round) {
        IndexList pageByPage, built;
        pageByPage.SetLoaded(true);
        IndexBuilder builder(built, dataSet);
        const int pages = std::uniform_int_distribution<int>(0, 40)(random);
        for (int p = 0; p < pages; ++p) {
            const std::string id = RandomId(random), text = RandomPageText(random);
            AddPageWords(pageByPage, dataSet, id, text);
            builder.AddPage(id, text);
        }
        ASSERT_EQ(builder.Finish(), pageByPage.Entries().Size()) << "round " << round;
        EXPECT_TRUE(built.Loaded());
        ASSERT_EQ(built.Entries().Lines(), pageByPage.Entries().Lines()) << "round " << round;
    }
}

TEST(IndexBuilder, BuilderCanBeUsedAgainAfterFinish) {
    TempDir dir;
    IndexList list;
    IndexBuilder builder(list, dir.File("data.jb"));
    builder.AddPage("00000001", "alpha beta");
    EXPECT_EQ(builder.Finish(), 2u);
    builder.AddPage("00000002", "gamma");
    EXPECT_EQ(builder.Finish(), 1u);
    EXPECT_EQ(list.Entries().Lines(), std::vector<std::string>{"gamma=00000002"});
    EXPECT_EQ(builder.Finish(), 0u);
    EXPECT_TRUE(list.Loaded());
}

}  // namespace
}  // namespace jb
