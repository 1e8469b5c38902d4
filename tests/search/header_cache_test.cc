// The header records kept between searches: kept while the header file stays as it was read,
// never when it may have changed unseen, and read again after any change, whoever made it.

#include "store/header_cache.h"

#include <fcntl.h>
#include <gtest/gtest.h>
#include <sys/stat.h>

#include <chrono>
#include <cstdio>
#include <fstream>
#include <functional>
#include <thread>

#include "store/dataset_paths.h"
#include "support/faulty_file_system.h"
#include "support/temp_dir.h"

namespace jb {
namespace {

using namespace std::chrono_literals;

// Longer than one tick of the kernel's file time stamps (at most 10 ms), so that a write after
// it gets a later change time than a write before it.
void WaitOneTick() { std::this_thread::sleep_for(25ms); }

class HeaderCacheTest : public ::testing::Test {
protected:
    void SetUp() override {
        ForgetKeptHeaders();
        for (int n = 0; n < 5; ++n) Write(n, "0000000" + std::to_string(n));
        WaitOneTick();
    }
    void TearDown() override { ForgetKeptHeaders(); }

    void Write(int n, const std::string& id) { store.WritePage(dataSet, n, "", false, false, id, "{\\rtf1 x}", 0, 45000); }
    std::vector<std::string> Ids(const HeaderSnapshot& s) {
        std::vector<std::string> ids;
        for (const HeaderRecord& r : s.Records()) ids.push_back(r.Id());
        return ids;
    }
    std::vector<std::string> FileIds() {
        std::vector<std::string> ids;
        for (const HeaderRecord& r : store.ReadAllHeaders(dataSet)) ids.push_back(r.Id());
        return ids;
    }

    test::TempDir dir;
    std::string dataSet = dir.File("data.jb");
    std::string headerPath = CompanionPath(dataSet, ".hd");
    PageStore store;
};

TEST_F(HeaderCacheTest, KeptWhileTheFileIsUnchanged) {
    auto first = CurrentHeaders(store, dataSet, 0ns);
    auto second = CurrentHeaders(store, dataSet);  // the default settling applies only to keeping
    EXPECT_EQ(first.get(), second.get());
    EXPECT_EQ(Ids(*second), FileIds());
    EXPECT_EQ(second->IdTable().Find("00000003"), 3);
    EXPECT_EQ(&first->IdTable(), &second->IdTable());  // made once
    EXPECT_TRUE(second->FileExists());
}

TEST_F(HeaderCacheTest, AFreshlyWrittenFileIsReadAgainEveryTime) {
    // Written within the settling time: two writes in one tick of the same size would look
    // alike, so nothing is kept.
    Write(2, "AAAAAAAA");
    auto first = CurrentHeaders(store, dataSet);
    auto second = CurrentHeaders(store, dataSet);
    EXPECT_NE(first.get(), second.get());
    // Rewrites of one record (the size stays) right after each read are all seen.
    for (int round = 0; round < 200; ++round) {
        const std::string id = "R" + std::to_string(1000000 + round);
        Write(round % 5, id);
        auto now = CurrentHeaders(store, dataSet);
        ASSERT_EQ(now->Records()[static_cast<std::size_t>(round % 5)].Id(), id) << "round " << round;
        ASSERT_EQ(now->IdTable().Find(id), round % 5);
    }
}

TEST_F(HeaderCacheTest, EveryKindOfChangeIsSeen) {
    struct Change {
        const char* what;
        std::function<void()> make;
    };
    const Change changes[] = {
        {"a new page (the size grows)", [&] { Write(5, "NEWPAGE5"); }},
        {"a record rewritten in place (same size)", [&] { Write(1, "CHANGED1"); }},
        {"bytes written by another program",
         [&] {
             std::fstream f(headerPath, std::ios::in | std::ios::out | std::ios::binary);
             f.seekp(48 * 2);
             f.write("OTHERPRG", 8);
         }},
        {"a new file renamed over it, same size and modification time",
         [&] {
             struct stat old {};
             ASSERT_EQ(::stat(headerPath.c_str(), &old), 0);
             std::string bytes = test::ReadFileBytes(headerPath);
             bytes.replace(0, 8, "RENAMED0");
             test::WriteFileBytes(headerPath + ".new", bytes);
             const struct timespec times[2] = {old.st_atim, old.st_mtim};
             ASSERT_EQ(::utimensat(AT_FDCWD, (headerPath + ".new").c_str(), times, 0), 0);
             ASSERT_EQ(std::rename((headerPath + ".new").c_str(), headerPath.c_str()), 0);
         }},
        {"the modification time set back after a write",
         [&] {
             struct stat old {};
             ASSERT_EQ(::stat(headerPath.c_str(), &old), 0);
             Write(4, "TIMEBACK");
             const struct timespec times[2] = {old.st_atim, old.st_mtim};
             ASSERT_EQ(::utimensat(AT_FDCWD, headerPath.c_str(), times, 0), 0);
         }},
        {"the file removed", [&] { std::remove(headerPath.c_str()); }},
    };
    for (const Change& change : changes) {
        SCOPED_TRACE(change.what);
        auto kept = CurrentHeaders(store, dataSet, 0ns);
        ASSERT_EQ(CurrentHeaders(store, dataSet).get(), kept.get());
        change.make();
        auto now = CurrentHeaders(store, dataSet);
        EXPECT_NE(now.get(), kept.get());
        EXPECT_EQ(Ids(*now), FileIds());
        EXPECT_EQ(now->FileExists(), test::FileExists(headerPath));
        WaitOneTick();
    }
}

TEST_F(HeaderCacheTest, OtherFileSystemsAreReadEveryTime) {
    // A test's file system counts and fails calls: each search must make them.
    test::FaultyFileSystem files;
    PageStore faulty(files);
    auto first = CurrentHeaders(faulty, dataSet, 0ns);
    const long calls = files.Calls();
    auto second = CurrentHeaders(faulty, dataSet, 0ns);
    EXPECT_NE(first.get(), second.get());
    EXPECT_GT(files.Calls(), calls);
    EXPECT_EQ(Ids(*second), FileIds());
}

TEST_F(HeaderCacheTest, SwitchingDataSetsKeepsEachRight) {
    test::TempDir other;
    const std::string otherSet = other.File("data.jb");
    store.WritePage(otherSet, 0, "", false, false, "OTHERSET", "{\\rtf1 y}", 0, 45000);
    WaitOneTick();
    for (int round = 0; round < 3; ++round) {
        EXPECT_EQ(Ids(*CurrentHeaders(store, dataSet, 0ns)), FileIds());
        EXPECT_EQ(Ids(*CurrentHeaders(store, otherSet, 0ns)), std::vector<std::string>{"OTHERSET"});
    }
    auto missing = CurrentHeaders(store, dir.File("none.jb"));
    EXPECT_FALSE(missing->FileExists());
    EXPECT_TRUE(missing->Records().empty());
}

}  // namespace
}  // namespace jb
