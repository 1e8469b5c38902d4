// A power cut at every step of each writing operation: whatever the operation had done, every
// page whose write had returned reads back exactly, the data set opens, and every page whose
// record exists can be found through the index.

#include <gtest/gtest.h>

#include <filesystem>
#include <functional>
#include <map>
#include <set>
#include <string>
#include <vector>

#include "store/dataset_paths.h"
#include "store/io_error.h"
#include "store/page_store.h"
#include "store/word_index.h"
#include "support/faulty_file_system.h"
#include "support/temp_dir.h"

namespace jb::test {
namespace {

namespace fs = std::filesystem;

// Page texts by ID: what a data set holds.
using Pages = std::map<std::string, std::string>;

constexpr double kCreated = 46000;

// Every live page's text (without its trailer byte) by ID, read through the real file system;
// a page that fails to read, or an ID held twice, fails the test.
Pages LivePages(const std::string& dataSet) {
    PageStore store;
    Pages pages;
    const auto records = store.ReadAllHeaders(dataSet);
    for (std::size_t i = 0; i < records.size(); ++i) {
        if (records[i].IsDeleted()) continue;
        PageInfo info;
        std::string body;
        try {
            EXPECT_EQ(kStatusOk, store.ReadPageBody(dataSet, static_cast<int>(i), info, body));
        } catch (const IoError& e) {
            ADD_FAILURE() << "page " << i << " does not read: " << e.what();
            continue;
        }
        body.pop_back();
        EXPECT_TRUE(pages.emplace(records[i].Id(), body).second) << "ID " << records[i].Id() << " is held twice";
    }
    return pages;
}

// Index entries of a page's text, as the programs make them.
IndexAppend EntriesOf(const std::string& dataSet, const std::string& id, const std::string& text) {
    StopWords stops(FileSystem::Default());
    return PageEntriesAppend(stops, dataSet, id, text);
}

// Every page of `pages` has every entry of its words in the data set's index.
void ExpectFindable(const std::string& dataSet, const Pages& pages) {
    IndexList list;
    LoadIndex(list, dataSet);
    StopWords stops(FileSystem::Default());
    for (const auto& [id, text] : pages)
        for (const std::string& entry : PageEntries(stops, dataSet, id, text))
            EXPECT_TRUE(list.Entries().Contains(entry)) << "page " << id << " lacks " << entry;
}

class PowerCutTest : public ::testing::Test {
protected:
    TempDir dir;
    std::string fixture = dir.File("fixture/notes.jb");
    std::string dataSet = dir.File("run/notes.jb");
    std::string deletedPages = DeletedPagesDataSet(dataSet);

    // Five pages, the third deleted, all indexed; written through the real file system.
    void SetUp() override {
        fs::create_directory(dir.File("fixture"));
        PageStore store;
        IndexList list;
        LoadIndex(list, fixture);
        for (int i = 0; i < 5; ++i) {
            const std::string id = "0000000" + std::to_string(i);
            const std::string text = "page" + std::to_string(i) + " walrus number" + std::to_string(i);
            ASSERT_EQ(kStatusOk, store.WritePage(fixture, i, "", i == 2, false, id, text, 0, kCreated));
            AddPageWords(list, fixture, id, text);
        }
        SaveIndex(list, fixture);
    }

    void CopyFixture() {
        fs::remove_all(dir.File("run"));
        fs::copy(dir.File("fixture"), dir.File("run"));
    }
};

struct Operation {
    const char* name;
    std::function<unsigned(PageStore&, const std::string& dataSet)> run;  // its status
    Pages pagesAfter;    // what the data set holds once it has returned
    Pages deletedAfter;  // what its deleted pages hold then
};

TEST_F(PowerCutTest, EveryPageWrittenBeforeTheCutReadsBackAndCanBeFound) {
    const Pages before = LivePages(fixture);
    ASSERT_EQ(4u, before.size());
    auto with = [&](std::map<std::string, std::string> changes, std::set<std::string> gone = {}) {
        Pages pages = before;
        for (auto& [id, text] : changes) pages[id] = text;
        for (const std::string& id : gone) pages.erase(id);
        return pages;
    };
    const std::vector<Operation> operations = {
        {"Update of page 1",
         [](PageStore& store, const std::string& ds) {
             IndexAppend entries = EntriesOf(ds, "00000001", "rewritten narwhal");
             return store.WritePage(ds, 1, "", false, false, "00000001", "rewritten narwhal", 0, kCreated, &entries);
         },
         with({{"00000001", "rewritten narwhal"}}),
         {}},
        {"a new last page",
         [](PageStore& store, const std::string& ds) {
             IndexAppend entries = EntriesOf(ds, "0000000A", "newcomer dugong");
             int n = 0;
             return store.AppendPage(ds, "", false, "0000000A", "newcomer dugong", 0, kCreated, n, &entries);
         },
         with({{"0000000A", "newcomer dugong"}}),
         {}},
        {"Zap of page 3",
         [](PageStore& store, const std::string& ds) {
             int placed = 0;
             if (unsigned s = store.AppendPage(DeletedPagesDataSet(ds), "", false, "00000003", "page3 walrus number3", 0,
                                               kCreated, placed))
                 return s;
             if (unsigned s = store.WritePage(ds, 3, "", true, false, "00000003", "", 0, kCreated)) return s;
             return store.PurgeDeletedHeaders(ds);
         },
         with({}, {"00000003"}),
         {{"00000003", "page3 walrus number3"}}},
        {"purge", [](PageStore& store, const std::string& ds) { return store.PurgeDeletedHeaders(ds); }, before, {}},
        {"pack", [](PageStore& store, const std::string& ds) { return store.PackDataSet(ds); }, before, {}},
        {"index save",
         [](PageStore& store, const std::string& ds) {
             IndexList list(store.Files());
             LoadIndex(list, ds);
             list.Entries().Add("extra=00000004");
             SaveIndex(list, ds);
             return kStatusOk;
         },
         before,
         {}},
    };
    int cuts = 0;
    for (const Operation& op : operations) {
        SCOPED_TRACE(op.name);
        // A clean run numbers the operation's file calls; the cut then comes after each of them
        // in turn, and once after the operation has returned.
        CopyFixture();
        long calls = 0;
        {
            FaultyFileSystem counter;
            PageStore store(counter);
            ASSERT_EQ(kStatusOk, op.run(store, dataSet));
            calls = counter.Calls();
        }
        for (long at = 1; at <= calls + 1; ++at) {
            SCOPED_TRACE("power lost at call " + std::to_string(at) + " of " + std::to_string(calls));
            CopyFixture();
            FaultyFileSystem files(at <= calls ? at : 0, true);
            bool returned = true;
            try {
                PageStore store(files);
                returned = op.run(store, dataSet) == kStatusOk;
            } catch (const IoError&) {
                returned = false;
            }
            ASSERT_EQ(at > calls, returned);
            files.LosePower();
            ++cuts;

            PageStore store;
            store.FinishInterruptedPack(dataSet);  // as every program does before it uses a data set
            const Pages pages = LivePages(dataSet);
            const Pages deleted = LivePages(deletedPages);
            if (returned) {
                EXPECT_EQ(op.pagesAfter, pages);
                EXPECT_EQ(op.deletedAfter, deleted);
            } else {
                // Every page reads as it was before or as the operation leaves it; a page moved
                // to the deleted pages is in one of the two places at least.
                for (const auto& [id, text] : before) {
                    auto now = pages.find(id);
                    auto after = op.pagesAfter.find(id);
                    if (now != pages.end()) {
                        EXPECT_TRUE(now->second == text || (after != op.pagesAfter.end() && now->second == after->second))
                            << "page " << id << " reads " << now->second;
                    } else {
                        EXPECT_EQ(op.pagesAfter.count(id), 0u) << "page " << id << " is lost";
                        EXPECT_EQ(1u, deleted.count(id)) << "page " << id << " is lost";
                    }
                }
                for (const auto& [id, text] : pages)
                    EXPECT_TRUE(before.count(id) || op.pagesAfter.count(id)) << "page " << id << " came from nowhere";
            }
            ExpectFindable(dataSet, pages);
        }
    }
    RecordProperty("power_cuts", cuts);
    EXPECT_GT(cuts, 60);
}

}  // namespace
}  // namespace jb::test
