// jotterbase-cli zap, restore and rename on real data sets.

#include <gtest/gtest.h>

#include <filesystem>

#include "app/cli_run.h"
#include "richtext/richtext.h"
#include "store/page_store.h"
#include "support/temp_dir.h"

namespace jb::test {
namespace {

class CliDataSetTest : public ::testing::Test {
protected:
    void SetUp() override {
        for (int i = 0; i < 4; ++i)
            ASSERT_EQ(0u, store.WritePage(dataSet, i, i == 1 ? "Abc" : "", false, false,
                                          "0000000" + std::string(1, static_cast<char>('A' + i)),
                                          richtext::RtfFromPlainText("page " + std::to_string(i)), 0, 46000));
    }
    std::string Data() const { return " --data " + dataSet; }
    bool Exists(const char* name) const { return std::filesystem::exists(dir.File(name)); }

    TempDir dir;
    PageStore store;
    std::string dataSet = dir.File("data.jb");
    std::string deleted = dir.File("%data.jb");
};

TEST_F(CliDataSetTest, ZapAndRestoreMoveAPageWithItsIdAndPassword) {
    const CliRun zap = Cli("zap 1" + Data());
    ASSERT_EQ(0, zap.exitCode) << zap.err;
    EXPECT_EQ("page 1 (ID 0000000B) moved to " + deleted + " as page 0\n", zap.out);
    EXPECT_EQ(3, store.PageCount(dataSet));
    EXPECT_EQ("0000000C", store.PageIdAt(dataSet, 1)) << "the pages after it move down";
    const CliRun shown = Cli("show 0 --password abc --data " + deleted);
    EXPECT_EQ(0, shown.exitCode) << shown.err;
    EXPECT_EQ("page 1", shown.out.substr(0, 6)) << "still protected by its password";
    // The deleted pages are restored from the main data set, and keep their name.
    const CliRun fromDeleted = Cli("restore 0 --data " + deleted);
    EXPECT_EQ(1, fromDeleted.exitCode);
    EXPECT_NE(std::string::npos, fromDeleted.err.find("give the main data set")) << fromDeleted.err;
    const CliRun renameDeleted = Cli("rename " + dir.File("y") + " --data " + deleted);
    EXPECT_EQ(1, renameDeleted.exitCode);
    EXPECT_NE(std::string::npos, renameDeleted.err.find("The name of the deleted data file cannot be changed."));

    const CliRun restore = Cli("restore 0" + Data());
    ASSERT_EQ(0, restore.exitCode) << restore.err;
    EXPECT_EQ("page 0 (ID 0000000B) moved to " + dataSet + " as page 3\n", restore.out);
    EXPECT_EQ(4, store.PageCount(dataSet));
    EXPECT_EQ("0000000B", store.PageIdAt(dataSet, 3)) << "a restored page is the last page";
    EXPECT_EQ(0, store.PageCount(deleted));
}

TEST_F(CliDataSetTest, MovesThatCannotBeDoneChangeNothing) {
    const std::string before = ReadFileBytes(dataSet) + ReadFileBytes(dir.File("data.hd"));
    const struct {
        std::string arguments;
        const char* error;
    } cases[] = {
        {"zap 9" + Data(), ""},
        {"zap x" + Data(), "'x' is not a page number"},
        {"restore 0" + Data(), "There is no file of deleted pages for this data-file."},
        {"restore 0 --data " + deleted, "no data set here"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.arguments);
        const CliRun run = Cli(c.arguments);
        EXPECT_NE(0, run.exitCode);
        EXPECT_NE(std::string::npos, run.err.find(c.error)) << run.err;
    }
    EXPECT_EQ(before, ReadFileBytes(dataSet) + ReadFileBytes(dir.File("data.hd")));
    EXPECT_FALSE(Exists("%data.jb"));
}

TEST_F(CliDataSetTest, RenameTakesEveryFileAlongAndAddsTheExtension) {
    ASSERT_EQ(0, Cli("zap 0" + Data()).exitCode);
    ASSERT_EQ(0, Cli("reindex" + Data()).exitCode);
    WriteFileBytes(dir.File("data.rsc"), "cat\r\n");
    const CliRun run = Cli("rename " + dir.File("Notes") + Data());
    ASSERT_EQ(0, run.exitCode) << run.err;
    EXPECT_EQ(dir.File("Notes.jb") + "\n", run.out);
    for (const char* name : {"Notes.jb", "Notes.hd", "Notes.idx", "Notes.rsc", "%Notes.jb", "%Notes.hd"})
        EXPECT_TRUE(Exists(name)) << name;
    for (const char* name : {"data.jb", "data.hd", "data.idx", "data.rsc", "%data.jb", "%data.hd"})
        EXPECT_FALSE(Exists(name)) << name;
    EXPECT_EQ(3, store.PageCount(dir.File("Notes.jb")));
}

TEST_F(CliDataSetTest, RenameRefusals) {
    WriteFileBytes(dir.File("taken.jb"), "another data set");
    const struct {
        std::string arguments;
        const char* error;
    } cases[] = {
        {"rename " + dir.File("taken.jb") + Data(), "Critical Error FA has occurred"},
        {"rename " + dir.File("%x") + Data(), "You cannot use the reserved character %"},
        {"rename " + dir.File("y") + " --data " + deleted, "no data set here"},
        {"rename" + Data(), "give exactly one new name"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.arguments);
        const CliRun run = Cli(c.arguments);
        EXPECT_EQ(1, run.exitCode);
        EXPECT_NE(std::string::npos, run.err.find(c.error)) << run.err;
    }
    EXPECT_EQ("another data set", ReadFileBytes(dir.File("taken.jb")));
    EXPECT_EQ(4, store.PageCount(dataSet));
}

}  // namespace
}  // namespace jb::test
