// jotterbase-cli run as a program on real data sets.

#include <gtest/gtest.h>

#include <sys/wait.h>

#include <cstdio>

#include "store/page_store.h"
#include "support/temp_dir.h"

namespace jb::test {
namespace {

struct CliRun {
    int exitCode;
    std::string out;
    std::string err;
};

CliRun Cli(const std::string& arguments, const std::string& input = "") {
    TempDir io;
    WriteFileBytes(io.File("in"), input);
    std::string command = std::string(JB_CLI_PATH) + " " + arguments + " <" + io.File("in") + " >" + io.File("out") +
                          " 2>" + io.File("err");
    int status = std::system(command.c_str());
    return {WIFEXITED(status) ? WEXITSTATUS(status) : -1, ReadFileBytes(io.File("out")), ReadFileBytes(io.File("err"))};
}

class CliTest : public ::testing::Test {
protected:
    void SetUp() override {
        const double created = 46360, reminder = 46370 + (14 * 60 + 30) / 1440.0;
        ASSERT_EQ(store.WritePage(dataSet, 0, "", false, false, "0000000A", "{\\rtf1 open page}", 0, created), 0u);
        ASSERT_EQ(store.WritePage(dataSet, 1, "Abc", false, false, "0000000B", "{\\rtf1 hidden}", reminder, created), 0u);
        ASSERT_EQ(store.WritePage(dataSet, 2, "", false, true, "0000000C", "{\\rtf1 fixed}", 0, created), 0u);
        ASSERT_EQ(store.WritePage(dataSet, 3, "", true, false, "0000000D", "{\\rtf1 gone}", 0, created), 0u);
    }

    std::string Data() const { return " --data " + dataSet; }

    TempDir dir;
    FixedClock clock{46366.5};
    PageStore store{FileSystem::Default(), clock};
    std::string dataSet = dir.File("data.jb");
};

TEST_F(CliTest, ListShowsEveryPageWithItsAttributes) {
    CliRun r = Cli("list" + Data());
    EXPECT_EQ(r.exitCode, 0) << r.err;
    EXPECT_EQ(r.out,
              "0\t0000000A\t2026-12-04\t2026-12-10\t-\trw\topen\n"
              "1\t0000000B\t2026-12-04\t2026-12-10\t2026-12-14T14:30:00\trw\tprotected\n"
              "2\t0000000C\t2026-12-04\t2026-12-10\t-\tro\topen\n"
              "3\t0000000D\t2026-12-04\t2026-12-10\t-\tdeleted\topen\n");
    CliRun json = Cli("list --json" + Data());
    EXPECT_NE(json.out.find("{\"number\":1,\"id\":\"0000000B\",\"created\":\"2026-12-04\",\"modified\":\"2026-12-10\","
                            "\"reminder\":\"2026-12-14T14:30:00\",\"state\":\"rw\",\"protected\":true}\n"),
              std::string::npos)
        << json.out;
}

TEST_F(CliTest, DumpPrintsTheStoredBodyAndDeciphersWithThePassword) {
    struct Case {
        std::string arguments;
        int exitCode;
        std::string out;
        std::string errPart;
    } cases[] = {
        {"dump 0", 0, "{\\rtf1 open page}", ""},
        {"dump 2", 0, "{\\rtf1 fixed}", ""},
        {"dump 1 --password abc", 0, "{\\rtf1 hidden}", ""},  // letter case does not matter
        {"dump 1", 1, "", "protected"},
        {"dump 1 --password wrong", 1, "", "wrong password"},
        {"dump 3", 1, "", "deleted"},
        {"dump 9", 1, "", "There is no page 9"},
        {"dump x", 1, "", "not a page number"},
    };
    for (const auto& c : cases) {
        CliRun r = Cli(c.arguments + Data());
        EXPECT_EQ(r.exitCode, c.exitCode) << c.arguments << ": " << r.err;
        EXPECT_EQ(r.out, c.out) << c.arguments;
        EXPECT_NE(r.err.find(c.errPart), std::string::npos) << c.arguments << ": " << r.err;
    }
}

TEST_F(CliTest, InfoPurgeAndPack) {
    CliRun info = Cli("info" + Data());
    EXPECT_NE(info.out.find("pages:\t4\n"), std::string::npos) << info.out;
    CliRun purge = Cli("purge" + Data());
    EXPECT_EQ(purge.exitCode, 0);
    EXPECT_NE(purge.out.find("Removed 1 deleted page record(s); 3 page(s) remain."), std::string::npos) << purge.out;
    CliRun pack = Cli("pack" + Data());
    EXPECT_EQ(pack.exitCode, 0) << pack.err;
    EXPECT_EQ(store.PageCount(dataSet), 3);
    EXPECT_EQ(Cli("dump 1 --password ABC" + Data()).out, "{\\rtf1 hidden}");
}

TEST_F(CliTest, ADamagedDataSetIsReportedNotCrashedOn) {
    std::string header = ReadFileBytes(dir.File("data.hd"));
    header[48 * 2 + 36] = static_cast<char>(0x7f);  // page 2 ends far past the data file
    WriteFileBytes(dir.File("data.hd"), header);
    CliRun list = Cli("list" + Data());
    EXPECT_EQ(list.exitCode, 1);
    EXPECT_NE(list.out.find("2\t0000000C\t2026-12-04\t2026-12-10\t-\tdamaged\topen\n"), std::string::npos) << list.out;
    EXPECT_NE(list.err.find("Page 2 is damaged"), std::string::npos) << list.err;
    CliRun dump = Cli("dump 2" + Data());
    EXPECT_EQ(dump.exitCode, 1);
    EXPECT_NE(dump.err.find("Page 2 is damaged"), std::string::npos);
    EXPECT_EQ(Cli("dump 0" + Data()).out, "{\\rtf1 open page}");
}

TEST_F(CliTest, UsageErrors) {
    EXPECT_EQ(Cli("").exitCode, 2);
    EXPECT_EQ(Cli("frobnicate").exitCode, 2);
    CliRun help = Cli("dump --help");
    EXPECT_EQ(help.exitCode, 0);
    EXPECT_NE(help.out.find("dump N"), std::string::npos);
    EXPECT_EQ(Cli("list --data").exitCode, 1);
    CliRun empty = Cli("info --data " + dir.File("none.jb"));
    EXPECT_NE(empty.out.find("pages:\t0\n"), std::string::npos);
}

}  // namespace
}  // namespace jb::test
