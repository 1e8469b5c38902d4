// jotterbase-cli check: each kind of damage found in a damaged copy of a small data set, and
// what --repair mends without touching a page.

#include <gtest/gtest.h>

#include <cstddef>
#include <cstring>
#include <filesystem>
#include <functional>
#include <string>
#include <vector>

#include "app/cli_run.h"
#include "richtext/richtext.h"
#include "store/dataset_paths.h"
#include "store/page_store.h"
#include "store/word_index.h"
#include "support/temp_dir.h"

namespace jb::test {
namespace {

// Three indexed pages; page 1 protected.
void MakeDataSet(PageStore& store, const std::string& dataSet) {
    IndexList index;
    for (int i = 0; i < 3; ++i) {
        const std::string id = "0000000" + std::string(1, static_cast<char>('A' + i));
        const std::string text = "walrus page number" + std::to_string(i);
        ASSERT_EQ(0u, store.WritePage(dataSet, i, i == 1 ? "abc" : "", false, false, id,
                                      richtext::RtfFromPlainText(text), 0, 46000));
        AddPageWords(index, dataSet, id, text);
    }
    SaveIndex(index, dataSet);
}

CliRun Check(const std::string& dataSet, const std::string& options = "") {
    return Cli("check --data " + dataSet + " " + options);
}

class CliCheckTest : public ::testing::Test {
protected:
    void SetUp() override { MakeDataSet(store, dataSet); }
    CliRun Check(const std::string& options = "") { return test::Check(dataSet, options); }

    TempDir dir;
    std::string dataSet = dir.File("notes.jb");
    PageStore store;
};

TEST_F(CliCheckTest, ASoundDataSetHasNothingToReport) {
    const CliRun run = Check();
    EXPECT_EQ(0, run.exitCode) << run.out << run.err;
    EXPECT_EQ("No damage found.\n", run.out);
}

TEST(CliCheck, EachKindOfDamageIsFoundAndOnlyTheMendableIsMended) {
    PageStore store;
    struct Case {
        const char* name;
        std::function<void(const std::string& dataSet)> damage;
        std::string finding;  // "kind<TAB>page"
        bool mended;          // by --repair
        bool harmful = true;  // found as damage (exit 1) rather than as harmless
        bool recordCut = false;  // --repair cuts back the damaged page's record (its claim only)
    };
    const std::vector<Case> cases = {
        {"truncated data file",
         [](const std::string& d) { std::filesystem::resize_file(d, std::filesystem::file_size(d) - 10); },
         "outside-data-file\t2", false, true, true},
        {"trailer byte overwritten",
         [](const std::string& d) {
             std::string bytes = ReadFileBytes(d);
             bytes.back() = 'x';
             WriteFileBytes(d, bytes);
         },
         "no-trailer\t2", false},
        {"two pages with one ID",
         [&](const std::string& d) { store.WritePage(d, 3, "", false, false, "0000000A", "{\\rtf1 copy}", 0, 1); },
         "duplicate-id\t3", false},
        {"a page never indexed",
         [&](const std::string& d) {
             store.WritePage(d, 3, "", false, false, "0000000Z", "{\\rtf1 unsearchable words}", 0, 1);
         },
         "unindexed-words\t3", true},
        {"an entry naming no page",
         [](const std::string& d) {
             IndexList index;
             LoadIndex(index, d);
             index.Entries().Add("ghost=FFFFFFFF");
             SaveIndex(index, d);
         },
         "unknown-ids\t-", true, false},
        {"a leftover work file", [](const std::string& d) { WriteFileBytes(CompanionPath(d, ".tpm"), "x"); },
         "work-file\t-", true, false},
        {"a work file that may hold a protected page in clear",
         [](const std::string& d) { WriteFileBytes(CompanionPath(d, ".t01"), "{\\rtf1 secret}"); },
         "clear-text-file\t-", true},
        {"a page also in the deleted pages (a zap stopped after its copy)",
         [&](const std::string& d) {
             store.WritePage(CounterpartOf(d), 0, "", false, false, "0000000C", "{\\rtf1 copy}", 0, 1);
         },
         "in-counterpart\t2", false},
        {"an interrupted pack",
         [](const std::string& d) { std::filesystem::copy_file(d, CompanionPath(d, ".jbo")); }, "interrupted-pack\t-",
         true},
    };
    for (const Case& c : cases) {
        TempDir dir;
        const std::string dataSet = dir.File("notes.jb");
        MakeDataSet(store, dataSet);
        c.damage(dataSet);
        const std::string bodies = ReadFileBytes(dataSet);
        const std::string records = ReadFileBytes(CompanionPath(dataSet, ".hd"));
        const CliRun found = Check(dataSet);
        EXPECT_EQ(c.harmful ? 1 : 0, found.exitCode) << c.name;
        EXPECT_NE(std::string::npos, found.out.find(c.finding)) << c.name << ":\n" << found.out << found.err;
        const CliRun repaired = Check(dataSet, "--repair");
        EXPECT_EQ(c.mended ? 0 : 1, repaired.exitCode) << c.name << ":\n" << repaired.out;
        EXPECT_EQ(bodies, ReadFileBytes(dataSet)) << c.name << ": --repair never rewrites a page";
        if (!c.recordCut) {
            EXPECT_EQ(records, ReadFileBytes(CompanionPath(dataSet, ".hd"))) << c.name << ": --repair never rewrites a page";
        }
        const CliRun after = Check(dataSet);
        EXPECT_EQ(c.mended ? 0 : 1, after.exitCode) << c.name;
        if (c.mended) {
            EXPECT_EQ(std::string::npos, after.out.find(c.finding)) << c.name << ":\n" << after.out;
        }
    }
}

// A damaged end field that claims bytes far past the data file: --repair cuts the claim back
// without growing anything, the page stays damaged, and adding pages goes on as before.
TEST_F(CliCheckTest, AClaimPastTheDataFileIsCutBackAndAddsGoOn) {
    const std::string header = CompanionPath(dataSet, ".hd");
    std::string records = ReadFileBytes(header);
    const std::int32_t claimed = 0x7FFFFFF0;
    std::memcpy(records.data() + kHeaderRecordSize + offsetof(HeaderRecord, end), &claimed, sizeof claimed);
    WriteFileBytes(header, records);
    const auto size = std::filesystem::file_size(dataSet);

    const CliRun repaired = Check("--repair");
    EXPECT_EQ(1, repaired.exitCode) << "the page stays damaged";
    EXPECT_NE(std::string::npos, repaired.out.find("repaired: page 1 no longer claims bytes past the data file's end"))
        << repaired.out;
    EXPECT_EQ(size, std::filesystem::file_size(dataSet));
    const HeaderRecord cut = store.ReadAllHeaders(dataSet)[1];
    EXPECT_LE(cut.end, static_cast<std::int32_t>(size));
    const CliRun after = Check();
    EXPECT_NE(std::string::npos, after.out.find("\t1\t")) << after.out;
    EXPECT_EQ(std::string::npos, after.out.find("\t0\t")) << after.out;

    const CliRun added = Cli("add --data " + dataSet, "a new page\n");
    EXPECT_EQ(0, added.exitCode) << added.out << added.err;
    EXPECT_LT(std::filesystem::file_size(dataSet), size + 1000);
    EXPECT_NE(std::string::npos, Cli("show 3 --data " + dataSet).out.find("a new page"));
}

TEST_F(CliCheckTest, RepairKeepsTheEntriesOfProtectedPages) {
    store.WritePage(dataSet, 3, "", false, false, "0000000Z", "{\\rtf1 unsearchable words}", 0, 1);
    ASSERT_EQ(0, Check("--repair").exitCode);
    const CliRun search = Cli("search number1 --data " + dataSet);
    EXPECT_NE(std::string::npos, search.out.find("0000000B")) << "the protected page is still found: " << search.out;
    EXPECT_NE(std::string::npos, Cli("search unsearchable --data " + dataSet).out.find("0000000Z"));
}

TEST_F(CliCheckTest, JsonGivesOneObjectPerFinding) {
    WriteFileBytes(CompanionPath(dataSet, ".t03"), "x");
    const CliRun run = Check("--json");
    EXPECT_EQ(0, run.exitCode) << "a work file is harmless";
    EXPECT_EQ("{\"kind\":\"work-file\",\"page\":null,\"detail\":\"" + CompanionPath(dataSet, ".t03") +
                  " is left over\",\"damage\":false}\n",
              run.out);
    std::filesystem::resize_file(dataSet, std::filesystem::file_size(dataSet) - 1);
    EXPECT_EQ(1, Check("--json").exitCode);
}

}  // namespace
}  // namespace jb::test
