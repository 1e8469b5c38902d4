// A failure of any single file call inside a write, a purge or a pack must leave every stored
// page readable as it was (or, for the page being written, as it was or as it was meant to be),
// and so must a stop at any call, once the next start has put an interrupted pack right.

#include <gtest/gtest.h>

#include <functional>

#include "store/io_error.h"
#include "store_fixture.h"
#include "support/faulty_file_system.h"

namespace jb::test {
namespace {

class FaultTest : public StoreTest {
protected:
    void SetUp() override {
        AddPage("{\\rtf1 first page}");
        middleId = AddPage("{\\rtf1 middle page}", false, "secret");
        AddPage(std::string(5000, 'z'), true);
    }

    // Runs `operation` once with no failure to count its calls, then once per call with that
    // call failing (and, with `crash`, every call after it too), checking the data set each time.
    // `hardLinks` false: on a file system without hard links.
    void ForEachFailingCall(bool crash, const std::function<void(PageStore&)>& operation,
                            const std::function<void()>& check, bool hardLinks = true) {
        const std::string data = ReadFileBytes(dataSet), header = ReadFileBytes(Companion(".hd"));
        FaultyFileSystem counter;
        if (!hardLinks) counter.WithoutHardLinks();
        PageStore clean(counter, clock);
        operation(clean);
        const long calls = counter.Calls();
        ASSERT_GT(calls, 3);
        for (long k = 1; k <= calls; ++k) {
            WriteFileBytes(dataSet, data);
            WriteFileBytes(Companion(".hd"), header);
            FaultyFileSystem faulty(k, crash);
            if (!hardLinks) faulty.WithoutHardLinks();
            PageStore store(faulty, clock);
            try {
                operation(store);
            } catch (const IoError&) {
            }
            SCOPED_TRACE("failing call " + std::to_string(k) + (crash ? " and all after it" : ""));
            check();
            // After a crash the new files may stay behind; after a single failure they are cleared.
            if (!crash) {
                for (const char* temp : {".hd1", ".jb1"}) EXPECT_FALSE(FileExists(Companion(temp))) << temp;
            }
        }
    }

    std::string middleId;
};

TEST_F(FaultTest, WritePageLeavesOldOrNewPage) {
    const auto before = LivePages();
    const std::string newText = "{\\rtf1 middle page, edited}";
    auto write = [&](PageStore& s) { s.WritePage(dataSet, 1, "secret", false, false, middleId, newText, 0, 45000); };
    // The page after a complete write, for comparison.
    write(store);
    const auto after = LivePages();
    for (bool crash : {false, true}) {
        ForEachFailingCall(crash, write, [&] {
            auto now = LivePages();
            ASSERT_EQ(now.size(), before.size());
            for (const auto& [id, body] : before) {
                if (id == middleId)
                    EXPECT_TRUE(now[id] == body || now[id] == after.at(id));
                else
                    EXPECT_EQ(now[id], body);
            }
        });
    }
}

TEST_F(FaultTest, PurgeLeavesEveryLivePage) {
    ASSERT_EQ(store.WritePage(dataSet, 0, "", true, false, store.PageIdAt(dataSet, 0), "gone", 0, 0), kStatusOk);
    const auto before = LivePages();
    for (bool crash : {false, true}) {
        ForEachFailingCall(crash, [&](PageStore& s) { s.PurgeDeletedHeaders(dataSet); },
                           [&] { EXPECT_EQ(LivePages(), before); });
    }
}

TEST_F(FaultTest, PackLeavesEveryLivePage) {
    ASSERT_EQ(store.WritePage(dataSet, 0, "", false, false, store.PageIdAt(dataSet, 0), "newer", 0, 0), kStatusOk);
    ASSERT_EQ(store.WritePage(dataSet, 2, "", true, false, store.PageIdAt(dataSet, 2), "gone", 0, 0), kStatusOk);
    const auto before = LivePages();
    for (bool hardLinks : {true, false}) {
        for (bool crash : {false, true}) {
            SCOPED_TRACE(hardLinks ? "with hard links" : "without hard links");
            ForEachFailingCall(
                crash, [&](PageStore& s) { s.PackDataSet(dataSet); },
                [&] {
                    // A single failure is put right by the pack itself: the old pair is back, or
                    // the new pair is complete, before any start-up repair.
                    if (!crash) {
                        EXPECT_EQ(LivePages(), before) << "before the start-up repair";
                    }
                    // What the next start does first.
                    store.FinishInterruptedPack(dataSet);
                    EXPECT_EQ(LivePages(), before);
                    EXPECT_FALSE(FileExists(Companion(".jbo")));
                },
                hardLinks);
        }
    }
}

}  // namespace
}  // namespace jb::test
