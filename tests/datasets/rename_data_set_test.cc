// Save Database as: the rename steps, each failing in turn, and the files that are not there.

#include <gtest/gtest.h>

#include <filesystem>

#include "datasets/rename_data_set.h"
#include "support/faulty_file_system.h"
#include "support/temp_dir.h"

namespace jb::test {
namespace {

// The files of the steps, in step order.
const char* const kFiles[] = {"data.jb",  "data.idx",  "data.hd",  "data.rsc",
                              "%data.jb", "%data.idx", "%data.hd", "%data.rsc"};
const char* const kNewFiles[] = {"Notes.jb",  "Notes.idx",  "Notes.hd",  "Notes.rsc",
                                 "%Notes.jb", "%Notes.idx", "%Notes.hd", "%Notes.rsc"};

void MakeFiles(const TempDir& dir, std::initializer_list<int> which) {
    for (int i : which) WriteFileBytes(dir.File(kFiles[i]), std::string("bytes of ") + kFiles[i]);
}

// Which name each file made by MakeFiles carries now: 'o' old, 'n' new, '-' none, '2' both.
std::string Names(const TempDir& dir) {
    std::string names;
    for (int i = 0; i < 8; ++i) {
        const bool old = FileExists(dir.File(kFiles[i]));
        const bool now = FileExists(dir.File(kNewFiles[i]));
        names += old && now ? '2' : old ? 'o' : now ? 'n' : '-';
        if (now) {
            EXPECT_EQ(std::string("bytes of ") + kFiles[i], ReadFileBytes(dir.File(kNewFiles[i])));
        }
    }
    return names;
}

RenameOutcome Rename(const TempDir& dir, FileSystem& files = FileSystem::Default()) {
    return RenameDataSet(dir.File("data.jb"), dir.File("Notes.jb"), files);
}

class RenameDataSetTest : public ::testing::Test {
protected:
    TempDir dir;
};

TEST_F(RenameDataSetTest, EveryFileTakesTheNewName) {
    MakeFiles(dir, {0, 1, 2, 3, 4, 5, 6, 7});
    const RenameOutcome outcome = Rename(dir);
    EXPECT_TRUE(outcome.renamed);
    EXPECT_TRUE(outcome.messages.empty());
    EXPECT_EQ("nnnnnnnn", Names(dir));
}

TEST_F(RenameDataSetTest, FilesThatAreNotThereAreSkipped) {
    // A new data set whose index was never saved, and no deleted pages: data and header only.
    MakeFiles(dir, {0, 2});
    const RenameOutcome outcome = Rename(dir);
    EXPECT_TRUE(outcome.renamed);
    EXPECT_TRUE(outcome.messages.empty());
    EXPECT_EQ("n-n-----", Names(dir));
    // A data set with no page written yet has no file at all: only its name changes.
    TempDir empty;
    EXPECT_TRUE(RenameDataSet(empty.File("a.jb"), empty.File("b.jb")).renamed);
}

constexpr long kRecordCalls = 10;

TEST(RenameDataSet, EachFailingStepInTurn) {
    const struct {
        const char* message;
        bool critical;
        const char* namesAfter;
    } steps[] = {
        {"Critical Error FA has occurred. The data-file name could not be changed.", true, "oooooooo"},
        {"Critical Error FB has occurred. The index-file name could not be changed.", true, "oooooooo"},
        {"Critical Error FC has occurred. The header-file name could not be changed.", true, "oooooooo"},
        {"Non critical error FD has occurred. Jotterbase was unable to change the name of the searchterm "
         "backup file (datafilename).rsc",
         false, "nnnonnnn"},
        {"Critical Error FAA has occurred. The data-file name could not be changed.", true, "oooooooo"},
        {"Critical Error FBA has occurred. The index-file name could not be changed.", true, "oooooooo"},
        {"Critical Error FCA has occurred. The header-file name could not be changed.", true, "oooooooo"},
        {"Non critical error FDA has occurred. Jotterbase was unable to change the name of the searchterm "
         "backup file (datafilename).rsc",
         false, "nnnnnnno"},
    };
    for (int k = 0; k < 8; ++k) {
        SCOPED_TRACE(k);
        TempDir dir;
        MakeFiles(dir, {0, 1, 2, 3, 4, 5, 6, 7});
        // The record of the rename comes first (open, write, sync, rename, folder sync beside
        // each name); after it the renames are the only counted calls: call k+1 of them is step k.
        FaultyFileSystem files(kRecordCalls + k + 1);
        const RenameOutcome outcome = Rename(dir, files);
        EXPECT_TRUE(files.Failed());
        EXPECT_EQ(!steps[k].critical, outcome.renamed);
        ASSERT_EQ(1u, outcome.messages.size());
        EXPECT_EQ(steps[k].message, outcome.messages[0].text);
        EXPECT_EQ(steps[k].critical, outcome.messages[0].critical);
        EXPECT_EQ(steps[k].namesAfter, Names(dir));
    }
}

// A rename stopped at any of its calls (the program killed there): the next program to open the
// data set, under its old name or its new one, finds every file under one name, and under the
// old one when the rename did not report success.
TEST(RenameDataSet, ARenameStoppedAtAnyCallLeavesNoSplitDataSet) {
    long calls = 0;
    {
        TempDir dir;
        MakeFiles(dir, {0, 1, 2, 3, 4, 5, 6, 7});
        FaultyFileSystem counting;
        ASSERT_TRUE(Rename(dir, counting).renamed);
        calls = counting.Calls();
    }
    for (long at = 1; at <= calls; ++at) {
        for (const char* openedAs : {"data.jb", "Notes.jb", "%data.jb"}) {
            SCOPED_TRACE(std::to_string(at) + " " + openedAs);
            TempDir dir;
            MakeFiles(dir, {0, 1, 2, 3, 4, 5, 6, 7});
            FaultyFileSystem files(at, true);
            const bool reported = Rename(dir, files).renamed;
            FinishInterruptedRename(dir.File(openedAs));
            const std::string names = Names(dir);
            EXPECT_TRUE(names == "oooooooo" || names == "nnnnnnnn") << names;
            if (!reported) {
                EXPECT_EQ("oooooooo", names);
            }
            if (names == "oooooooo") {
                for (const char* file : kFiles)
                    EXPECT_EQ(std::string("bytes of ") + file, ReadFileBytes(dir.File(file)));
            }
            EXPECT_FALSE(RenameInterrupted(dir.File(openedAs)));
        }
    }
}

// The record of a rename is what the next program goes by: one that is not whole was being
// written when the rename stopped, before any file moved, and is dropped; one that names neither
// name came from elsewhere and is left alone.
TEST_F(RenameDataSetTest, ARecordThatIsNotWholeOrNotThisDataSetsMovesNothing) {
    MakeFiles(dir, {0, 1, 2});
    WriteFileBytes(dir.File("data.rnm"), "Jotterbase rename 1\n/x/data.jb");
    EXPECT_TRUE(FinishInterruptedRename(dir.File("data.jb")));
    EXPECT_FALSE(FileExists(dir.File("data.rnm")));
    EXPECT_EQ("ooo-----", Names(dir));
    using namespace std::string_literals;
    WriteFileBytes(dir.File("data.rnm"), "Jotterbase rename 1\n/x/data.jb\0/x/Notes.jb\0FA FB FC\0"s);
    EXPECT_FALSE(FinishInterruptedRename(dir.File("data.jb")));
    EXPECT_TRUE(RenameInterrupted(dir.File("data.jb")));
    EXPECT_EQ("ooo-----", Names(dir));
}

TEST_F(RenameDataSetTest, ADataFileOfAnotherExtensionIsRenamedWhole) {
    // A data set opened as it is may be called "Old.JB": its data file is that path itself.
    for (const char* name : {"Old.JB", "%Old.JB", "Old.hd", "Old.idx", "%Old.hd"})
        WriteFileBytes(dir.File(name), std::string("bytes of ") + name);
    const RenameOutcome outcome = RenameDataSet(dir.File("Old.JB"), dir.File("New.Jb"));
    EXPECT_TRUE(outcome.renamed);
    EXPECT_TRUE(outcome.messages.empty());
    const std::pair<const char*, const char*> moves[] = {{"Old.JB", "New.Jb"}, {"%Old.JB", "%New.Jb"},
                                                         {"Old.hd", "New.hd"}, {"Old.idx", "New.idx"},
                                                         {"%Old.hd", "%New.hd"}};
    for (auto [from, to] : moves) {
        EXPECT_FALSE(FileExists(dir.File(from))) << from;
        EXPECT_EQ(std::string("bytes of ") + from, ReadFileBytes(dir.File(to))) << to;
    }
}

TEST_F(RenameDataSetTest, AnExistingDataSetOfTheNewNameIsNeverReplaced) {
    MakeFiles(dir, {0, 1, 2});
    WriteFileBytes(dir.File("Notes.jb"), "another data set");
    const RenameOutcome outcome = Rename(dir);
    EXPECT_FALSE(outcome.renamed);
    ASSERT_EQ(1u, outcome.messages.size());
    EXPECT_EQ("Critical Error FA has occurred. The data-file name could not be changed.", outcome.messages[0].text);
    EXPECT_EQ("another data set", ReadFileBytes(dir.File("Notes.jb")));
    EXPECT_EQ("bytes of data.jb", ReadFileBytes(dir.File("data.jb")));

    // A header file of the new name: the steps before it are undone.
    std::filesystem::remove(dir.File("Notes.jb"));
    WriteFileBytes(dir.File("Notes.hd"), "another header");
    const RenameOutcome second = Rename(dir);
    EXPECT_FALSE(second.renamed);
    EXPECT_EQ("Critical Error FC has occurred. The header-file name could not be changed.", second.messages.at(0).text);
    EXPECT_EQ("bytes of data.jb", ReadFileBytes(dir.File("data.jb")));
    EXPECT_EQ("bytes of data.idx", ReadFileBytes(dir.File("data.idx")));
    EXPECT_EQ("another header", ReadFileBytes(dir.File("Notes.hd")));
}

}  // namespace
}  // namespace jb::test
