// jotterbase-cli zap, restore and rename on real data sets.

#include <gtest/gtest.h>

#include <filesystem>
#include <map>
#include <sstream>
#include <vector>

#include "app/cli_run.h"
#include "richtext/richtext.h"
#include "store/page_store.h"
#include "support/temp_dir.h"

namespace jb::test {
namespace {

using Row = std::vector<std::string>;  // the tab-separated columns of one line of `list`

// The columns a move keeps: ID, created, reminder, ro/rw, protected/open (not the number, nor
// the modified date, which is the day of the move).
Row Kept(const Row& row) {
    if (row.size() != 7) return row;
    return {row[1], row[2], row[4], row[5], row[6]};
}

class CliDataSetTest : public ::testing::Test {
  protected:
    // Pages 0000000A to 0000000D; page 1 is protected, read-only and has a reminder.
    void SetUp() override {
        for (int i = 0; i < 4; ++i)
            ASSERT_EQ(0u, store.WritePage(dataSet, i, i == 1 ? "Abc" : "", false, i == 1,
                                          "0000000" + std::string(1, static_cast<char>('A' + i)),
                                          richtext::RtfFromPlainText("page " + std::to_string(i)),
                                          i == 1 ? 46010.75 : 0, 46000 + i));
    }
    std::string Data() const { return " --data " + dataSet; }

    std::vector<Row> List(const std::string& path) const {
        const CliRun run = Cli("list --data " + path);
        EXPECT_EQ(0, run.exitCode) << run.err;
        std::vector<Row> rows;
        std::istringstream lines(run.out);
        for (std::string line; std::getline(lines, line);) {
            Row& row = rows.emplace_back();
            std::istringstream columns(line);
            for (std::string column; std::getline(columns, column, '\t');) row.push_back(column);
        }
        return rows;
    }
    // The IDs of the pages in their order, separated by spaces.
    std::string Ids(const std::string& path) const {
        std::string ids;
        for (const Row& row : List(path))
            ids += (ids.empty() ? "" : " ") + (row.size() > 1 ? row[1] : "?");
        return ids;
    }
    // Every file of the folder with its bytes.
    std::map<std::string, std::string> Files() const {
        std::map<std::string, std::string> files;
        // The lock files of writers hold nothing of the data set.
        for (const auto& entry : std::filesystem::directory_iterator(dir.Path()))
            if (entry.path().extension() != ".lck")
                files[entry.path().filename().string()] = ReadFileBytes(entry.path().string());
        return files;
    }
    void Zap(const std::string& arguments) {
        const CliRun run = Cli("zap " + arguments);
        ASSERT_EQ(0, run.exitCode) << arguments << ": " << run.err;
    }

    TempDir dir;
    PageStore store;
    std::string dataSet = dir.File("data.jb");
    std::string deleted = dir.File("%data.jb");
};

TEST_F(CliDataSetTest, ZapMovesThePageToTheEndOfTheDeletedPagesAsItWas) {
    const Row before = List(dataSet).at(1);
    const CliRun zap = Cli("zap 1" + Data());
    ASSERT_EQ(0, zap.exitCode) << zap.err;
    EXPECT_EQ("page 1 (ID 0000000B) moved to " + deleted + " as page 0\n", zap.out);
    EXPECT_EQ("0000000A 0000000C 0000000D", Ids(dataSet)) << "the pages after it move down";
    const std::vector<Row> deletedRows = List(deleted);
    ASSERT_EQ(1u, deletedRows.size());
    EXPECT_EQ(Kept(before), Kept(deletedRows[0]));
    EXPECT_EQ("protected", deletedRows[0].back());

    const CliRun shown = Cli("show 0 --password abc --data " + deleted);
    EXPECT_EQ(0, shown.exitCode) << shown.err;
    EXPECT_EQ("page 1", shown.out.substr(0, 6));
    EXPECT_NE(0, Cli("show 0 --data " + deleted).exitCode) << "still locked without its password";

    const CliRun second = Cli("zap 0" + Data());
    ASSERT_EQ(0, second.exitCode) << second.err;
    EXPECT_EQ("page 0 (ID 0000000A) moved to " + deleted + " as page 1\n", second.out);
    EXPECT_EQ("0000000C 0000000D", Ids(dataSet));
    EXPECT_EQ("0000000B 0000000A", Ids(deleted));
}

TEST_F(CliDataSetTest, RestoreBringsThePageBackAsTheLastPage) {
    const Row before = List(dataSet).at(1);
    Zap("1" + Data());
    Zap("0" + Data());
    const CliRun restore = Cli("restore 0" + Data());
    ASSERT_EQ(0, restore.exitCode) << restore.err;
    EXPECT_EQ("page 0 (ID 0000000B) moved to " + dataSet + " as page 2\n", restore.out);
    EXPECT_EQ("0000000C 0000000D 0000000B", Ids(dataSet));
    EXPECT_EQ("0000000A", Ids(deleted));
    EXPECT_EQ(Kept(before), Kept(List(dataSet).at(2)));
    const CliRun shown = Cli("show 2 --password ABC" + Data());
    EXPECT_EQ(0, shown.exitCode) << shown.err;
    EXPECT_EQ("page 1", shown.out.substr(0, 6));

    // Zapped in the deleted pages, a page goes back too.
    const CliRun back = Cli("zap 0 --data " + deleted);
    ASSERT_EQ(0, back.exitCode) << back.err;
    EXPECT_EQ("page 0 (ID 0000000A) moved to " + dataSet + " as page 3\n", back.out);
    EXPECT_EQ("0000000C 0000000D 0000000B 0000000A", Ids(dataSet));
    EXPECT_EQ("", Ids(deleted));
}

// A zap that stopped after its copy left page 0000000C in both data sets: a zap or a restore of
// it finishes that move, and the page is in one of them once.
TEST_F(CliDataSetTest, AMoveOfAPageInBothDataSetsFinishesTheStoppedMove) {
    const struct {
        const char* command;
        std::string main, deleted;  // IDs after it
    } cases[] = {
        {"zap 2", "0000000A 0000000B 0000000D", "0000000E 0000000C"},
        {"restore 1", "0000000A 0000000B 0000000C 0000000D", "0000000E"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.command);
        TempDir fresh;
        dataSet = fresh.File("data.jb");
        deleted = fresh.File("%data.jb");
        SetUp();
        ASSERT_EQ(0u, store.WritePage(deleted, 0, "", false, false, "0000000E", richtext::RtfFromPlainText("e"), 0, 1));
        ASSERT_EQ(0u, store.WritePage(deleted, 1, "", false, false, "0000000C", richtext::RtfFromPlainText("page 2"), 0,
                                      46002));
        const CliRun found = Cli("check" + Data());
        EXPECT_EQ(1, found.exitCode);
        EXPECT_NE(std::string::npos, found.out.find("in-counterpart\t2\tID 0000000C is also page 1 of " + deleted))
            << found.out;
        const CliRun run = Cli(std::string(c.command) + Data());
        ASSERT_EQ(0, run.exitCode) << run.err;
        EXPECT_NE(std::string::npos, run.out.find("(ID 0000000C)")) << run.out;
        EXPECT_EQ(c.main, Ids(dataSet));
        EXPECT_EQ(c.deleted, Ids(deleted));
        const CliRun check = Cli("check" + Data());
        EXPECT_EQ(std::string::npos, check.out.find("in-counterpart")) << check.out;
    }
}

TEST_F(CliDataSetTest, MovesThatCannotBeDoneChangeNothing) {
    Zap("3" + Data());
    const std::string other = dir.File("other.jb");
    ASSERT_EQ(0u,
              store.WritePage(other, 0, "", false, false, "0000000E", "{\\rtf1 other}", 0, 46000));
    const auto before = Files();
    const struct {
        std::string arguments;
        std::string error;
        int exitCode = 1;  // 2 for a word the command does not take
    } cases[] = {
        {"zap 3" + Data(), "There is no page 3 in " + dataSet + ": its pages are 0 to 2"},
        {"zap 123456789" + Data(), "There is no page 123456789"},
        {"zap x" + Data(), "'x' is not a page number"},
        {"zap 0 1" + Data(), "'1' is not an option of zap", 2},
        {"restore 1" + Data(), "There is no page 1 in " + deleted + ": its pages are 0 to 0"},
        {"restore" + Data(), "give exactly one page number"},
        {"restore 0 --data " + deleted,
         deleted + " holds deleted pages itself: give the main data set, --data " + dataSet},
        {"restore 0 --data " + other, "There is no file of deleted pages for this data-file."},
        {"restore 0 --data " + dir.File("none.jb"), "no data set here"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.arguments);
        const CliRun run = Cli(c.arguments);
        EXPECT_EQ(c.exitCode, run.exitCode);
        EXPECT_EQ("", run.out);
        EXPECT_NE(std::string::npos, run.err.find("jotterbase-cli: " + c.error)) << run.err;
    }
    EXPECT_EQ(before, Files());
}

TEST_F(CliDataSetTest, RenameTakesEveryFileOfTheDataSetAndItsDeletedPagesAlong) {
    Zap("0" + Data());
    ASSERT_EQ(0, Cli("reindex" + Data()).exitCode);
    ASSERT_EQ(0, Cli("reindex --data " + deleted).exitCode);
    WriteFileBytes(dir.File("data.rsc"), "cat\r\n");
    WriteFileBytes(dir.File("%data.rsc"), "dog\r\n");
    const auto before = Files();
    ASSERT_EQ(8u, before.size());

    const CliRun run = Cli("rename " + dir.File("Notes") + Data());
    ASSERT_EQ(0, run.exitCode) << run.err;
    EXPECT_EQ(dir.File("Notes.jb") + "\n", run.out);
    EXPECT_EQ("", run.err);
    std::map<std::string, std::string> expected;
    for (const auto& [name, bytes] : before)
        expected[name.substr(0, name.find("data")) + "Notes" + name.substr(name.find('.'))] = bytes;
    EXPECT_EQ(expected, Files());
    for (const char* name : {"Notes.jb", "Notes.hd", "Notes.idx", "Notes.rsc", "%Notes.jb",
                             "%Notes.hd", "%Notes.idx", "%Notes.rsc"})
        EXPECT_TRUE(std::filesystem::exists(dir.File(name))) << name;
    EXPECT_EQ("0000000B 0000000C 0000000D", Ids(dir.File("Notes.jb")));
    EXPECT_EQ("0000000A", Ids(dir.File("%Notes.jb")));
}

TEST_F(CliDataSetTest, RenameAddsTheDataExtensionWhenItIsMissing) {
    const struct {
        const char* given;
        const char* dataSet;
    } cases[] = {{"Notes", "Notes.jb"}, {"list.txt", "list.txt.jb"}, {"Work.jb", "Work.jb"}};
    std::string current = dataSet;
    for (const auto& c : cases) {
        SCOPED_TRACE(c.given);
        const CliRun run = Cli("rename " + dir.File(c.given) + " --data " + current);
        ASSERT_EQ(0, run.exitCode) << run.err;
        EXPECT_EQ(dir.File(c.dataSet) + "\n", run.out);
        EXPECT_FALSE(std::filesystem::exists(current));
        current = dir.File(c.dataSet);
        EXPECT_EQ("0000000A 0000000B 0000000C 0000000D", Ids(current));
    }
}

TEST_F(CliDataSetTest, RenameGoesOnPastARecentSearchesFileInTheWay) {
    WriteFileBytes(dir.File("data.rsc"), "cat\r\n");
    WriteFileBytes(dir.File("Notes.rsc"), "dog\r\n");
    const CliRun run = Cli("rename " + dir.File("Notes") + Data());
    EXPECT_EQ(0, run.exitCode) << run.err;
    EXPECT_EQ(dir.File("Notes.jb") + "\n", run.out);
    EXPECT_NE(std::string::npos,
              run.err.find("jotterbase-cli: Non critical error FD has occurred."))
        << run.err;
    EXPECT_EQ("0000000A 0000000B 0000000C 0000000D", Ids(dir.File("Notes.jb")));
    EXPECT_EQ("cat\r\n", ReadFileBytes(dir.File("data.rsc")));
    EXPECT_EQ("dog\r\n", ReadFileBytes(dir.File("Notes.rsc")));
}

TEST_F(CliDataSetTest, RenameRefusalsLeaveEveryFileAsItWas) {
    Zap("0" + Data());
    ASSERT_EQ(0, Cli("reindex" + Data()).exitCode);
    ASSERT_EQ(0u, store.WritePage(dir.File("taken.jb"), 0, "", false, false, "0000000E",
                                  "{\\rtf1 taken}", 0, 46000));
    WriteFileBytes(dir.File("half.idx"), "an index without its data set");
    WriteFileBytes(dir.File("%late.jb"), "deleted pages without their data set");
    const auto before = Files();
    const struct {
        std::string arguments;
        std::string error;
        int exitCode = 1;  // 2 for a word the command does not take
    } cases[] = {
        {"rename " + dir.File("taken") + Data(),
         "Critical Error FA has occurred. The data-file name could not be changed."},
        {"rename " + dir.File("half.jb") + Data(),
         "Critical Error FB has occurred. The index-file name could not be changed."},
        {"rename " + dir.File("late") + Data(),
         "Critical Error FAA has occurred. The data-file name could not be changed."},
        {"rename " + dir.File("%x") + Data(),
         "You cannot use the reserved character % in a jotterbase data-set filename."},
        {"rename " + dir.File("y") + " --data " + deleted,
         "The name of the deleted data file cannot be changed."},
        {"rename" + Data(), "give exactly one new name"},
        {"rename a b" + Data(), "'b' is not an option of rename", 2},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.arguments);
        const CliRun run = Cli(c.arguments);
        EXPECT_EQ(c.exitCode, run.exitCode);
        EXPECT_EQ("", run.out);
        EXPECT_NE(std::string::npos, run.err.find("jotterbase-cli: " + c.error)) << run.err;
    }
    EXPECT_EQ(before, Files());
}

// A data file whose name ends otherwise than in ".jb" is renamed as the file it is.
TEST_F(CliDataSetTest, RenameKeepsADataFileOfAnotherExtensionWhole) {
    const std::string bare = dir.File("notes");  // no extension at all
    ASSERT_EQ(0u, store.WritePage(bare, 0, "", false, false, "0000000F", "{\\rtf1 bare}", 0, 46000));
    const CliRun run = Cli("rename " + dir.File("Work.JB") + " --data " + bare);
    ASSERT_EQ(0, run.exitCode) << run.err;
    EXPECT_EQ(dir.File("Work.JB") + "\n", run.out);
    EXPECT_FALSE(std::filesystem::exists(bare));
    EXPECT_EQ(1, store.PageCount(dir.File("Work.JB")));
    EXPECT_EQ("0000000F", store.PageIdAt(dir.File("Work.JB"), 0));
}

TEST_F(CliDataSetTest, HelpDescribesEachCommand) {
    const struct {
        const char* arguments;
        const char* text;
    } cases[] = {
        {"zap --help", "usage: jotterbase-cli zap N [--data PATH]"},
        {"restore --help", "usage: jotterbase-cli restore N [--data PATH]"},
        {"rename --help", "usage: jotterbase-cli rename NEWPATH [--data PATH]"},
        {"--help", "\n  zap\tmove page N to the deleted pages"},
        {"--help", "\n  restore\tmove page N of the deleted pages back"},
        {"--help", "\n  rename\tgive the data set and its deleted pages a new name"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.arguments);
        const CliRun run = Cli(std::string(c.arguments) + Data());
        EXPECT_EQ(0, run.exitCode) << run.err;
        EXPECT_NE(std::string::npos, run.out.find(c.text)) << run.out;
    }
}

}  // namespace
}  // namespace jb::test
