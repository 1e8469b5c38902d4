#include <gtest/gtest.h>

#include <cstdio>
#include <functional>
#include <map>
#include <string>

#include "store/io_error.h"
#include "store_fixture.h"
#include "support/faulty_file_system.h"

namespace jb::test {
namespace {

using PackTest = StoreTest;

TEST_F(PackTest, KeepsOnlyTheLatestBodiesInPageOrder) {
    std::string a = AddPage("alpha"), b = AddPage("beta", true), c = AddPage("gamma", false, "pw");
    for (const char* text : {"beta 2", "beta 3", "beta 4"})
        ASSERT_EQ(store.WritePage(dataSet, 1, "", false, true, b, text, 46000.25, 45000), kStatusOk);
    auto before = store.ReadAllHeaders(dataSet);
    const auto pages = LivePages();

    clock.Set(kToday + 30);  // a pack must not touch the modified dates
    ASSERT_EQ(store.PackDataSet(dataSet), kStatusOk);

    auto after = store.ReadAllHeaders(dataSet);
    ASSERT_EQ(after.size(), 3u);
    std::int64_t live = 0;
    for (std::size_t i = 0; i < after.size(); ++i) {
        EXPECT_EQ(after[i].Id(), before[i].Id());
        EXPECT_EQ(after[i].created, before[i].created);
        EXPECT_EQ(after[i].modified, before[i].modified);
        EXPECT_EQ(after[i].reminder, before[i].reminder);
        EXPECT_EQ(after[i].passwordField, before[i].passwordField);
        EXPECT_EQ(after[i].start, live);
        live += after[i].end - after[i].start;
    }
    EXPECT_EQ(static_cast<std::int64_t>(ReadFileBytes(dataSet).size()), live);
    EXPECT_EQ(ReadFileBytes(dataSet).substr(0, 13), "alphaEbeta 4\xFB");
    EXPECT_EQ(LivePages(), pages);
    for (const char* temp : {".hd1", ".jb1", ".jbo"}) EXPECT_FALSE(FileExists(Companion(temp))) << temp;
}

// A pack stopped between its two renames leaves the packed data file under the data file's name
// beside the old header file. A writer that came next wrote against the wrong pair, and lost what
// it wrote when the pack was put right: every writer puts it right first.
TEST_F(PackTest, EveryWriterFinishesAPackStoppedBetweenItsRenamesFirst) {
    const std::string a = AddPage("alpha");
    const std::string b = AddPage("beta");
    ASSERT_EQ(store.WritePage(dataSet, 0, "", false, false, a, "alpha 2", 0, kToday - 3), kStatusOk);
    const auto pages = LivePages();
    const auto writtenPage = [&] {
        auto p = pages;
        p[a] = "alpha 3E";
        return p;
    }();
    const struct {
        const char* name;
        std::function<void()> write;
        std::map<std::string, std::string> after;
    } cases[] = {
        {"a page write",
         [&] { ASSERT_EQ(store.WritePage(dataSet, 0, "", false, false, a, "alpha 3", 0, kToday - 3), kStatusOk); },
         writtenPage},
        {"a purge", [&] { ASSERT_EQ(store.PurgeDeletedHeaders(dataSet), kStatusOk); }, pages},
        {"a pack", [&] { ASSERT_EQ(store.PackDataSet(dataSet), kStatusOk); }, pages},
    };
    const std::string saved = ReadFileBytes(dataSet), savedHeader = ReadFileBytes(Companion(".hd"));
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        WriteFileBytes(dataSet, saved);
        WriteFileBytes(Companion(".hd"), savedHeader);
        // The pack is stopped at each of its file system calls in turn, until one stop is between
        // the renames: the packed data file in place, the packed header file not yet.
        for (long call = 1;; ++call) {
            ASSERT_LT(call, 500) << "no stop between the renames";
            FaultyFileSystem stopping(call, true);
            PageStore packer(stopping, clock);
            try {
                packer.PackDataSet(dataSet);
            } catch (const IoError&) {
            }
            if (FileExists(Companion(".jbo")) && !FileExists(Companion(".jb1")) && FileExists(Companion(".hd1"))) break;
            store.FinishInterruptedPack(dataSet);
            std::remove(Companion(".jb1").c_str());
            std::remove(Companion(".hd1").c_str());
        }
        c.write();
        store.FinishInterruptedPack(dataSet);  // what the next program does first
        EXPECT_EQ(LivePages(), c.after);
    }
}

TEST_F(PackTest, WorksOnAFileSystemWithoutHardLinks) {
    AddPage("alpha");
    const std::string b = AddPage("beta", false, "pw");
    ASSERT_EQ(store.WritePage(dataSet, 1, "pw", false, false, b, "beta 2", 0, 45000), kStatusOk);
    const auto pages = LivePages();
    FaultyFileSystem noLinks;
    noLinks.WithoutHardLinks();
    PageStore fat(noLinks, clock);
    ASSERT_EQ(fat.PackDataSet(dataSet), kStatusOk);
    EXPECT_EQ(LivePages(), pages);
    EXPECT_EQ(store.PageIdAt(dataSet, 1), b);
    EXPECT_EQ(ReadFileBytes(dataSet).substr(0, 6), "alphaE");
    for (const char* temp : {".hd1", ".jb1", ".jbo"}) EXPECT_FALSE(FileExists(Companion(temp))) << temp;
}

TEST_F(PackTest, DropsDeletedRecords) {
    std::string a = AddPage("a"), b = AddPage("b"), c = AddPage("c");
    ASSERT_EQ(store.WritePage(dataSet, 1, "", true, false, b, "b", 0, 0), kStatusOk);
    ASSERT_EQ(store.PackDataSet(dataSet), kStatusOk);
    EXPECT_EQ(store.PageCount(dataSet), 2);
    EXPECT_EQ(store.PageIdAt(dataSet, 1), c);
    EXPECT_EQ(ReadFileBytes(dataSet), "aEcE");
}

TEST_F(PackTest, ALeftoverNewDataFileStaysAtTheFront) {
    AddPage("one");
    AddPage("two");
    WriteFileBytes(Companion(".jb1"), "XYZ");
    ASSERT_EQ(store.PackDataSet(dataSet), kStatusOk);
    EXPECT_EQ(ReadFileBytes(dataSet), "XYZoneEtwoE");
    EXPECT_EQ(Body(0), "oneE");
    EXPECT_EQ(Body(1), "twoE");
}

TEST_F(PackTest, CopiesLargeBodiesWhole) {
    std::string big(3 * 1024 * 1024 + 17, '\0');
    for (std::size_t i = 0; i < big.size(); ++i) big[i] = static_cast<char>('a' + i % 26);
    AddPage("small");
    AddPage(big);
    ASSERT_EQ(store.WritePage(dataSet, 0, "", false, false, store.PageIdAt(dataSet, 0), "smaller", 0, 0), kStatusOk);
    ASSERT_EQ(store.PackDataSet(dataSet), kStatusOk);
    EXPECT_EQ(Body(1), big + "E");
}

TEST_F(PackTest, ADamagedRecordStopsThePackBeforeAnythingIsReplaced) {
    AddPage("one");
    AddPage("two");
    std::string header = ReadFileBytes(Companion(".hd"));
    header[48 + 36] = 100;  // page 1 now ends past the data file
    WriteFileBytes(Companion(".hd"), header);
    const std::string data = ReadFileBytes(dataSet);
    EXPECT_THROW(store.PackDataSet(dataSet), IoError);
    EXPECT_EQ(ReadFileBytes(dataSet), data);
    EXPECT_EQ(ReadFileBytes(Companion(".hd")), header);
    EXPECT_FALSE(FileExists(Companion(".hd1")));
    EXPECT_FALSE(FileExists(Companion(".jb1")));
}

TEST_F(PackTest, EmptyOrMissingHeaderFiles) {
    EXPECT_EQ(store.PackDataSet(dataSet), kStatusHeaderUnopenable);
    EXPECT_EQ(store.PurgeDeletedHeaders(dataSet), kStatusHeaderUnopenable);
    WriteFileBytes(Companion(".hd"), "");
    EXPECT_EQ(store.PackDataSet(dataSet), kStatusOk);
    EXPECT_EQ(store.PurgeDeletedHeaders(dataSet), kStatusOk);
    EXPECT_EQ(store.PageCount(dataSet), 0);
}

}  // namespace
}  // namespace jb::test
