// jotterbase-cli run as a program on real data sets.

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdio>
#include <filesystem>
#include <map>
#include <vector>

#include "app/cli_run.h"
#include "store/page_store.h"
#include "support/temp_dir.h"

namespace jb::test {
namespace {

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

TEST_F(CliTest, APackStoppedBetweenItsRenamesIsUndoneBeforeTheCommandRuns) {
    // What a stop after the data file was replaced, before the header file was, leaves behind:
    // the packed data file with the old header file, the old data file under ".jbo" and the
    // packed header file as ".hd1".
    const std::string oldData = ReadFileBytes(dataSet), oldHeader = ReadFileBytes(dir.File("data.hd"));
    ASSERT_EQ(store.PackDataSet(dataSet), 0u);
    WriteFileBytes(dir.File("data.hd1"), ReadFileBytes(dir.File("data.hd")));
    WriteFileBytes(dir.File("data.hd"), oldHeader);
    WriteFileBytes(dir.File("data.jbo"), oldData);
    CliRun dump = Cli("dump 2" + Data());
    EXPECT_EQ(dump.exitCode, 0) << dump.err;
    EXPECT_EQ(dump.out, "{\\rtf1 fixed}");
    EXPECT_EQ(ReadFileBytes(dataSet), oldData);
    EXPECT_FALSE(FileExists(dir.File("data.jbo")));
    EXPECT_FALSE(FileExists(dir.File("data.hd1")));
}

TEST_F(CliTest, UsageErrors) {
    EXPECT_EQ(Cli("").exitCode, 2);
    EXPECT_EQ(Cli("frobnicate").exitCode, 2);
    CliRun help = Cli("dump --help");
    EXPECT_EQ(help.exitCode, 0);
    EXPECT_NE(help.out.find("dump N"), std::string::npos);
    EXPECT_EQ(Cli("list --data").exitCode, 1);
    // A path that holds no data set is said to, and nothing is made there; only add makes one.
    for (const char* command : {"info", "list", "search cat", "pack", "purge", "reindex", "zap 0", "rename x"}) {
        CliRun none = Cli(std::string(command) + " --data " + dir.File("none.jb"));
        EXPECT_EQ(1, none.exitCode) << command;
        EXPECT_NE(std::string::npos, none.err.find("no data set here")) << command << ": " << none.err;
    }
    EXPECT_FALSE(FileExists(dir.File("none.jb")));
    EXPECT_FALSE(FileExists(dir.File("none.hd")));
}

// Every file of a folder, name and bytes.
std::map<std::string, std::string> FolderFiles(const std::string& folder) {
    std::map<std::string, std::string> files;
    for (const auto& entry : std::filesystem::directory_iterator(folder))
        files[entry.path().filename().string()] = ReadFileBytes(entry.path().string());
    return files;
}

// A mistyped option or a word too many must stop a command before it does anything: a page
// added without its mistyped --password would be stored open.
TEST_F(CliTest, EveryCommandRefusesAnOptionItDoesNotKnowAndAStrayWord) {
    WriteFileBytes(dir.File("in.txt"), "imported words\n");
    ASSERT_EQ(0, Cli("zap 2" + Data()).exitCode);  // so that restore has deleted pages to work on
    const struct {
        const char* command;
        std::string arguments;
    } cases[] = {
        {"info", "--bogus"},
        {"info", "stray"},
        {"list", "--jsn"},
        {"list", "stray"},
        {"dump", "0 --bogus"},
        {"dump", "0 1"},
        {"show", "0 --rtff"},
        {"show", "0 -v"},
        {"add", "--pasword hunter2"},
        {"add", "--read-only stray"},
        {"search", "open --bogus"},
        {"search", "open page"},
        {"reindex", "--bogus"},
        {"reindex", "stray"},
        {"zap", "0 --bogus"},
        {"zap", "0 1"},
        {"restore", "0 --bogus"},
        {"restore", "0 1"},
        {"rename", dir.File("new") + " --bogus"},
        {"rename", dir.File("new") + " stray"},
        {"purge", "--bogus"},
        {"purge", "stray"},
        {"pack", "--bogus"},
        {"pack", "stray"},
        {"export", "--page 0 -o " + dir.File("out.txt") + " --bogus"},
        {"export", "--page 0 -o " + dir.File("out.txt") + " stray"},
        {"import", dir.File("in.txt") + " --doss"},
        {"import", dir.File("in.txt") + " --type=txt --bogus"},
        {"check", "--repare"},
        {"check", "stray"},
    };
    const std::map<std::string, std::string> before = FolderFiles(dir.Path());
    for (const auto& c : cases) {
        const std::string arguments = std::string(c.command) + " " + c.arguments + Data();
        SCOPED_TRACE(arguments);
        const CliRun run = Cli(arguments, "secret\n");
        EXPECT_EQ(2, run.exitCode);
        EXPECT_EQ("", run.out);
        EXPECT_NE(std::string::npos, run.err.find("is not an option of " + std::string(c.command))) << run.err;
        EXPECT_NE(std::string::npos, run.err.find("usage: jotterbase-cli " + std::string(c.command))) << run.err;
        EXPECT_TRUE(before == FolderFiles(dir.Path())) << "nothing is written";
    }
}

// --data may stand before the command as well as after it, with the same meaning.
TEST_F(CliTest, TheDataOptionBeforeOrAfterTheCommand) {
    const std::string other = dir.File("other.jb");
    const struct {
        std::string arguments;
        int exitCode;
        const char* inOut;  // expected in the output (exit 0) or the errors
    } cases[] = {
        {"--data " + dataSet + " info", 0, "pages:\t4\n"},
        {"--data=" + dataSet + " info", 0, "pages:\t4\n"},
        {"info --data " + dataSet, 0, "pages:\t4\n"},
        {"info --data=" + dataSet, 0, "pages:\t4\n"},
        {"--data " + dataSet + " list", 0, "0000000C"},
        {"--data " + dataSet + " dump 0", 0, "open page"},
        {"--data " + other + " info", 1, "no data set here"},
        {"--data " + dataSet + " info --data " + other, 1, "--data is given more than once"},
        {"--data " + dataSet + " --data " + other + " info", 1, "--data is given more than once"},
        {"--data", 2, "--data needs a value"},
        {"--data= info", 2, "--data needs a value"},
        {"--data '' info", 2, "--data needs a value"},
        {"info --data", 1, "--data needs a value"},
        {"info --data=", 1, "--data needs a value"},
        {"add --data ''", 1, "--data needs a value"},
        {"--verbose info", 2, "'--verbose' is not an option that may stand before the command"},
        {"--data " + dataSet + " --help", 0, "commands:"},
        {"--data " + dataSet + " info --help", 0, "usage: jotterbase-cli info"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.arguments);
        const CliRun run = Cli(c.arguments);
        EXPECT_EQ(c.exitCode, run.exitCode) << run.err;
        EXPECT_NE((c.exitCode == 0 ? run.out : run.err).find(c.inOut), std::string::npos) << run.out << run.err;
    }
    EXPECT_FALSE(std::filesystem::exists(other)) << "reading a data set creates nothing";
}

class CliTextTest : public ::testing::Test {
protected:
    std::string Data() const { return " --data " + dataSet; }
    TempDir dir;
    std::string dataSet = dir.File("notes.jb");
};

TEST_F(CliTextTest, AddedTextComesBackFromShowAndIsIndexed) {
    const std::string text = "The cat sat on the mat.\nCaf\xC3\xA9 e-mail x-1 2026\n";
    CliRun add = Cli("add" + Data(), text);
    ASSERT_EQ(add.exitCode, 0) << add.err;
    EXPECT_EQ(add.out.substr(0, 2), "0\t");
    const std::string id = add.out.substr(2, 8);
    EXPECT_EQ(Cli("show 0" + Data()).out, text);
    EXPECT_EQ(ReadFileBytes(dir.File("notes.idx")),
              "2026=" + id + "\r\ncaf=" + id + "\r\ncat=" + id + "\r\nemail=" + id + "\r\nmat=" + id + "\r\nsat=" + id +
                  "\r\nthe=" + id + "\r\n");
    CliRun rtf = Cli("show 0 --rtf" + Data());
    EXPECT_EQ(rtf.out.substr(0, 5), "{\\rtf");
}

TEST_F(CliTextTest, AddTakesAttributesAndRefusesBadOnes) {
    WriteFileBytes(dir.File("page.rtf"), "{\\rtf1\\ansi {\\b Bold} words}");
    CliRun add = Cli("add --file " + dir.File("page.rtf") + " --read-only --password Abc --reminder 2026-12-24T09:30" + Data());
    ASSERT_EQ(add.exitCode, 0) << add.err;
    CliRun list = Cli("list" + Data());
    EXPECT_NE(list.out.find("2026-12-24T09:30:00\tro\tprotected\n"), std::string::npos) << list.out;
    EXPECT_EQ(Cli("show 0 --rtf --password ABC" + Data()).out, "{\\rtf1\\ansi {\\b Bold} words}");
    EXPECT_EQ(Cli("show 0 --password abc" + Data()).out, "Bold words\n");
    for (const char* bad : {"--password ab", "--password 'a b c'", "--password ninechars", "--reminder 2026-13-01T10:00",
                            "--reminder tomorrow", "--file " "/nonexistent/file.txt"}) {
        CliRun r = Cli(std::string("add ") + bad + Data(), "text");
        EXPECT_EQ(r.exitCode, 1) << bad;
        EXPECT_FALSE(r.err.empty()) << bad;
    }
    EXPECT_NE(Cli("info" + Data()).out.find("pages:\t1\n"), std::string::npos);
}

// An index that cannot be written must not make a stored page look unstored: a retry would
// store it twice.
TEST_F(CliTextTest, AnIndexThatCannotBeWrittenLeavesThePageStoredAndSaysHowToMendIt) {
    std::filesystem::create_directory(dir.File("notes.idx"));  // the index file cannot be opened
    const CliRun add = Cli("add" + Data(), "walrus words\n");
    EXPECT_EQ(0, add.exitCode);
    ASSERT_EQ("0\t", add.out.substr(0, 2)) << add.out;
    const std::string id = add.out.substr(2, 8);
    EXPECT_NE(std::string::npos, add.err.find("page 0 (ID " + id + ") is stored")) << add.err;
    EXPECT_NE(std::string::npos, add.err.find("jotterbase-cli reindex --data " + dataSet)) << add.err;
    EXPECT_EQ("walrus words\n", Cli("show 0" + Data()).out);
    std::filesystem::remove(dir.File("notes.idx"));
    ASSERT_EQ(0, Cli("reindex" + Data()).exitCode);
    EXPECT_NE(std::string::npos, Cli("search walrus" + Data()).out.find(id));
}

TEST_F(CliTextTest, ReindexRebuildsTheSameEntriesAndSkipsProtectedPages) {
    Cli("add" + Data(), "alpha beta gamma");
    Cli("add --password secret" + Data(), "hidden words");
    Cli("add" + Data(), "gamma delta");
    const std::string grown = ReadFileBytes(dir.File("notes.idx"));
    std::filesystem::remove(dir.File("notes.idx"));
    CliRun r = Cli("reindex" + Data());
    EXPECT_EQ(r.exitCode, 0) << r.err;
    EXPECT_NE(r.out.find("Indexed 2 of 3 page(s)"), std::string::npos) << r.out;
    EXPECT_NE(r.out.find("1 protected page(s) skipped"), std::string::npos) << r.out;
    std::string rebuilt = ReadFileBytes(dir.File("notes.idx"));
    EXPECT_EQ(rebuilt.find("hidden"), std::string::npos);
    EXPECT_NE(grown.find("hidden"), std::string::npos);
    EXPECT_NE(rebuilt.find("delta="), std::string::npos);
}

TEST(IndexBld, RebuildsTheActiveDataSetOfItsProgramFolder) {
    TempDir folder;
    std::filesystem::copy_file(std::string(JB_INDEXBLD_PATH), folder.File("IndexBld"));
    // Only the file-name part of ActiveData counts: the data set is looked for in the folder.
    WriteFileBytes(folder.File("JotBase.ini"), "[Database]\r\nActiveData=C:\\Elsewhere\\notes.jb\r\n");
    Cli("add --data " + folder.File("notes.jb"), "unusual vocabulary");
    std::filesystem::remove(folder.File("notes.idx"));
    int status = std::system((folder.File("IndexBld") + " >/dev/null 2>&1").c_str());
    EXPECT_EQ(WEXITSTATUS(status), 0);
    EXPECT_NE(ReadFileBytes(folder.File("notes.idx")).find("vocabulary="), std::string::npos);
}

// IndexBld in `folder` with `arguments`; its exit code.
int RunIndexBld(const TempDir& folder, const std::string& arguments) {
    const int status =
        std::system((folder.File("IndexBld") + " " + arguments + " >/dev/null 2>&1").c_str());
    return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
}

std::vector<std::string> FileNamesIn(const TempDir& folder) {
    std::vector<std::string> names;
    for (const auto& entry : std::filesystem::directory_iterator(folder.Path()))
        names.push_back(entry.path().filename());
    std::sort(names.begin(), names.end());
    return names;
}

TEST(IndexBld, RebuildsTheDataSetItIsGivenOrTheActiveOneWhereverItLies) {
    const struct {
        const char* what;
        bool asArgument;  // else named by ActiveData
    } cases[] = {{"the window's argument", true}, {"ActiveData as a full path", false}};
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        TempDir folder, elsewhere;
        std::filesystem::copy_file(std::string(JB_INDEXBLD_PATH), folder.File("IndexBld"));
        const std::string dataSet = elsewhere.File("notes.jb");
        WriteFileBytes(folder.File("JotBase.ini"),
                       "[Database]\r\nActiveData=" +
                           (c.asArgument ? std::string("data.jb") : dataSet) + "\r\n");
        Cli("add --data " + dataSet, "unusual vocabulary");
        std::filesystem::remove(elsewhere.File("notes.idx"));
        const std::vector<std::string> before = FileNamesIn(folder);
        EXPECT_EQ(0, RunIndexBld(folder, c.asArgument ? dataSet : ""));
        EXPECT_NE(ReadFileBytes(elsewhere.File("notes.idx")).find("vocabulary="),
                  std::string::npos);
        EXPECT_EQ(before, FileNamesIn(folder)) << "nothing is made in the program folder";
    }
}

TEST(IndexBld, ADataSetThatIsNotThereIsAnErrorAndMakesNoFile) {
    TempDir folder, elsewhere;
    std::filesystem::copy_file(std::string(JB_INDEXBLD_PATH), folder.File("IndexBld"));
    WriteFileBytes(folder.File("JotBase.ini"),
                   "[Database]\r\nActiveData=" + elsewhere.File("gone.jb") + "\r\n");
    const std::vector<std::string> before = FileNamesIn(folder);
    const struct {
        std::string arguments;
        int exitCode;
    } cases[] = {{"", 1}, {elsewhere.File("gone.jb"), 1}, {"--bogus", 2}, {"a.jb b.jb", 2}};
    for (const auto& c : cases) {
        SCOPED_TRACE(c.arguments);
        EXPECT_EQ(c.exitCode, RunIndexBld(folder, c.arguments));
        EXPECT_EQ(before, FileNamesIn(folder));
        EXPECT_TRUE(std::filesystem::is_empty(elsewhere.Path()));
    }
}

// Without --data the CLI works in the program folder that --folder or JOTTERBASE_FOLDER names,
// made on its first use with the default files of the program's own folder.
TEST(CliProgramFolder, AddAndSearchWorkInTheChosenFolderMadeWithTheDefaultFiles) {
    TempDir scratch;
    const struct {
        std::string environment;
        std::string option;
        std::string folder;
    } cases[] = {
        {"JOTTERBASE_FOLDER=" + scratch.File("named"), "", scratch.File("named/")},
        {"", "--folder " + scratch.File("given"), scratch.File("given/")},
        {"JOTTERBASE_FOLDER=" + scratch.File("loser"), "--folder=" + scratch.File("winner"), scratch.File("winner/")},
    };
    const std::string staging = std::string(JB_PROGRAM_DIR_DEFAULT) + "/";
    for (const auto& c : cases) {
        CliRun added = Cli(c.option + " add", "a page about zebras", c.environment);
        EXPECT_EQ(added.exitCode, 0) << added.err;
        EXPECT_TRUE(FileExists(c.folder + "data.jb")) << c.folder;
        EXPECT_EQ(ReadFileBytes(c.folder + "Exclude.lst"), ReadFileBytes(staging + "Exclude.lst")) << c.folder;
        CliRun found = Cli("search zebras " + c.option, "", c.environment);
        EXPECT_EQ(found.exitCode, 0) << found.err;
        EXPECT_NE(found.out.find("0\t"), std::string::npos) << found.out;
    }
    EXPECT_FALSE(FileExists(scratch.File("loser")));
}

}  // namespace
}  // namespace jb::test
