#include "store/index_builder.h"

#include <gtest/gtest.h>

#include <sys/stat.h>
#include <unistd.h>

#include <random>

#include "store/io_error.h"

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

TEST(IndexBuilder, WritesTheFileThatFinishAndSaveIndexWrite) {
    // The file written line by line must hold the bytes of the list's own way, IDs with line
    // breaks (which that way splits and sorts as lines of their own) included.
    TempDir dir;
    const std::string listWay = dir.File("list.jb"), straight = dir.File("straight.jb");
    WriteFileBytes(dir.File("Exclude.lst"), "THE\r\nzeta\r\n");
    std::mt19937 random(20261211);
    for (int round = 0; round < 200; ++round) {
        IndexList listA, listB;
        IndexBuilder a(listA, listWay), b(listB, straight);
        const int pages = std::uniform_int_distribution<int>(0, 40)(random);
        for (int p = 0; p < pages; ++p) {
            std::string id = RandomId(random);
            if (round % 10 == 9 && p == 0) id = random() % 2 ? "AB\r\nCD" : "zz\nab";
            const std::string text = RandomPageText(random);
            a.AddPage(id, text);
            b.AddPage(id, text);
        }
        const std::size_t entries = a.Finish();
        SaveIndex(listA, listWay);
        ASSERT_EQ(b.WriteIndexFile(straight), entries) << "round " << round;
        ASSERT_EQ(test::ReadFileBytes(dir.File("straight.idx")), test::ReadFileBytes(dir.File("list.idx")))
            << "round " << round;
        EXPECT_FALSE(test::FileExists(dir.File("straight.id1")));
        EXPECT_FALSE(listB.Loaded());
    }
}

TEST(IndexBuilder, AFileThatCannotBeWrittenKeepsTheOldOne) {
    TempDir dir;
    const std::string dataSet = dir.File("data.jb");
    WriteFileBytes(dir.File("data.idx"), "old=00000001\r\n");
    ASSERT_EQ(::mkdir(dir.File("data.id1").c_str(), 0700), 0);  // the work file's name is taken
    IndexList list;
    IndexBuilder builder(list, dataSet);
    builder.AddPage("00000002", "alpha beta");
    EXPECT_THROW(builder.WriteIndexFile(dataSet), IoError);
    EXPECT_EQ(test::ReadFileBytes(dir.File("data.idx")), "old=00000001\r\n");
    ASSERT_EQ(::rmdir(dir.File("data.id1").c_str()), 0);
    // The builder is empty after the failure and works again.
    builder.AddPage("00000003", "gamma");
    EXPECT_EQ(builder.WriteIndexFile(dataSet), 1u);
    EXPECT_EQ(test::ReadFileBytes(dir.File("data.idx")), "gamma=00000003\r\n");
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
