// jotterbase-cli beside another program that holds the data set: every writer waits for the
// lock, whatever the lock file's owner, and decides what to do only once it holds it.

#include <fcntl.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

#include <gtest/gtest.h>

#include <cstdio>
#include <optional>
#include <string>
#include <vector>

#include "app/cli_background.h"
#include "app/cli_run.h"
#include "datasets/move_page.h"
#include "store/dataset_lock.h"
#include "store/dataset_paths.h"
#include "store/page_store.h"
#include "support/temp_dir.h"

namespace jb::test {
namespace {

class CliLockTest : public ::testing::Test {
protected:
    // Adds pages "page 0", "page 1", ... through the CLI; returns their IDs.
    std::vector<std::string> AddPages(int count) {
        std::vector<std::string> ids;
        for (int i = 0; i < count; ++i) {
            const CliRun r = Cli("add --data " + dataSet, "page " + std::to_string(i) + "\n");
            EXPECT_EQ(0, r.exitCode) << r.err;
            ids.push_back(store.PageIdAt(dataSet, i));
        }
        return ids;
    }
    std::vector<std::string> Ids(const std::string& ds) {
        std::vector<std::string> ids;
        for (int n = 0; n < store.PageCount(ds); ++n) ids.push_back(store.PageIdAt(ds, n));
        return ids;
    }
    std::string Lock() const { return LockFilePath(dataSet); }

    TempDir dir;
    std::string dataSet = dir.File("data.jb");
    PageStore store;
};

// A lock file another user left (as a run under sudo does) is one this user may read at most: a
// writer takes the lock through it, or, when it cannot even read it, writes nothing.
TEST_F(CliLockTest, AWriterNeverWritesWithoutTheLock) {
    const struct {
        const char* name;
        bool readable;
    } cases[] = {{"a lock file this user may only read", true}, {"a lock file this user may not open", false}};
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        TempDir fresh;
        dataSet = fresh.File("data.jb");
        AddPages(2);
        { DataSetLock made(dataSet); }
        // The writer runs as a user who does not own the lock file. Root may open any file, so
        // root's test runs the writer as nobody, with the data set's own files open to it.
        std::string launcher;
        if (::geteuid() == 0) {
            launcher = "setpriv --reuid=65534 --regid=65534 --clear-groups";
            ::chmod(fresh.Path().c_str(), 0777);
            for (const char* extension : {".jb", ".hd", ".idx"})
                ::chmod(CompanionPath(dataSet, extension).c_str(), 0666);
            ::chmod(Lock().c_str(), c.readable ? 0644 : 0600);
        } else {
            ::chmod(Lock().c_str(), c.readable ? 0444 : 0000);
        }
        const std::string dataBefore = ReadFileBytes(dataSet);
        if (c.readable) {
            std::optional<DataSetLock> other(std::in_place, dataSet);
            BackgroundCli add("add --data " + dataSet, "beside\n", launcher);
            ASSERT_TRUE(add.WaitUntilOpen(Lock())) << "the add waits for the lock: " << add.Finish().err;
            EXPECT_EQ(2, store.PageCount(dataSet)) << "nothing is written while another program writes";
            EXPECT_EQ(dataBefore, ReadFileBytes(dataSet));
            other.reset();
            const CliRun r = add.Finish();
            EXPECT_EQ(0, r.exitCode) << r.err;
            EXPECT_EQ(3, store.PageCount(dataSet)) << "the page is stored once the lock is free";
        } else {
            const CliRun r = BackgroundCli("add --data " + dataSet, "refused\n", launcher).Finish();
            EXPECT_EQ(1, r.exitCode);
            EXPECT_NE(std::string::npos, r.err.find("cannot be locked against other programs")) << r.err;
            EXPECT_NE(std::string::npos, r.err.find("nothing was written")) << r.err;
            EXPECT_EQ(2, store.PageCount(dataSet));
            EXPECT_EQ(dataBefore, ReadFileBytes(dataSet));
        }
    }
}

// A restore waits for the main data set before it takes the deleted pages, as a zap does: each
// holds nothing while it waits, so that at the same moment neither waits for the other.
TEST_F(CliLockTest, ARestoreWaitingForTheMainDataSetHoldsNothing) {
    const std::vector<std::string> ids = AddPages(3);
    ASSERT_EQ(0, Cli("zap 0 --data " + dataSet).exitCode);
    const std::string deleted = CounterpartOf(dataSet);
    std::optional<DataSetLock> main(std::in_place, dataSet);
    BackgroundCli restore("restore 0 --data " + dataSet);
    ASSERT_TRUE(restore.WaitUntilOpen(Lock())) << restore.Finish().err;
    const int fd = ::open(LockFilePath(deleted).c_str(), O_RDWR | O_CLOEXEC);
    ASSERT_GE(fd, 0);
    EXPECT_EQ(0, ::flock(fd, LOCK_EX | LOCK_NB)) << "the restore held the deleted pages while it waited";
    ::close(fd);
    main.reset();
    const CliRun r = restore.Finish();
    EXPECT_EQ(0, r.exitCode) << r.err;
    EXPECT_EQ((std::vector<std::string>{ids[1], ids[2], ids[0]}), Ids(dataSet));
    EXPECT_EQ(0, store.PageCount(deleted));
}

// Another program's zap renumbers the pages while a zap waits: the page number is read under the
// lock, and the report names the page that was moved.
TEST_F(CliLockTest, AZapNamesThePageItMoved) {
    const std::vector<std::string> ids = AddPages(3);
    std::optional<DataSetPairLock> other(std::in_place, dataSet);
    BackgroundCli zap("zap 0 --data " + dataSet);
    ASSERT_TRUE(zap.WaitUntilOpen(Lock())) << zap.Finish().err;
    MovedPage moved;
    ASSERT_EQ(0u, MovePage(store, dataSet, 0, moved));  // what the other program's zap 0 does
    ASSERT_EQ(ids[0], moved.id);
    other.reset();
    const CliRun r = zap.Finish();
    EXPECT_EQ(0, r.exitCode) << r.err;
    EXPECT_EQ("page 0 (ID " + ids[1] + ") moved to " + CounterpartOf(dataSet) + " as page 1\n", r.out);
    EXPECT_EQ((std::vector<std::string>{ids[0], ids[1]}), Ids(CounterpartOf(dataSet)));
    EXPECT_EQ((std::vector<std::string>{ids[2]}), Ids(dataSet));
}

// check --repair removes what a stopped command left; a file that a writer at work still needs
// is not left over: the repair waits for the writer, like every writer.
TEST_F(CliLockTest, CheckRepairWaitsForAWriterAtWork) {
    AddPages(2);
    const std::string newData = CompanionPath(dataSet, ".jb1");
    std::optional<DataSetLock> packing(std::in_place, dataSet);
    WriteFileBytes(newData, "the new data file of a pack at work");
    BackgroundCli check("check --repair --data " + dataSet);
    ASSERT_TRUE(check.WaitUntilOpen(Lock())) << check.Finish().out;
    EXPECT_TRUE(FileExists(newData)) << "the repair removed a file of the pack at work";
    std::remove(newData.c_str());  // the pack has finished
    packing.reset();
    const CliRun r = check.Finish();
    EXPECT_EQ(0, r.exitCode) << r.out << r.err;
    EXPECT_EQ("No damage found.\n", r.out);
}

// Other programs add pages while a pack waits for the data set: its report counts what it did.
TEST_F(CliLockTest, APackReportsWhatItDidUnderTheLock) {
    const std::vector<std::string> ids = AddPages(3);
    ASSERT_EQ(0u, store.WritePage(dataSet, 1, "", true, false, ids[1], "", 0, 1));
    std::optional<DataSetLock> adding(std::in_place, dataSet);
    BackgroundCli pack("pack --data " + dataSet);
    ASSERT_TRUE(pack.WaitUntilOpen(Lock())) << pack.Finish().err;
    for (int i = 0; i < 3; ++i) {
        int n = 0;
        ASSERT_EQ(0u, store.AppendPage(dataSet, "", false, store.NewPageId(dataSet), "{\\rtf1 added\\par}", 0, 1, n));
    }
    adding.reset();
    const CliRun r = pack.Finish();
    EXPECT_EQ(0, r.exitCode) << r.err;
    EXPECT_NE(std::string::npos, r.out.find(" bytes; 5 page(s), 1 deleted record(s) dropped.")) << r.out;
    EXPECT_EQ(5, store.PageCount(dataSet));
}

}  // namespace
}  // namespace jb::test
