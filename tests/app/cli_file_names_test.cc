// jotterbase-cli and file names that are not UTF-8: a file name is bytes, and every command that
// takes one reaches exactly the file of those bytes, or says plainly that it cannot.

#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <string>
#include <vector>

#include "app/cli_run.h"
#include "richtext/richtext.h"
#include "store/page_store.h"
#include "support/temp_dir.h"

namespace jb::test {
namespace {

namespace fs = std::filesystem;

// Bytes no UTF-8 text holds.
const std::string kOdd = "\xff\xfe";

class CliFileNamesTest : public ::testing::Test {
protected:
    void SetUp() override {
        ASSERT_EQ(0u, store.WritePage(dataSet, 0, "", false, false, "0000000A", richtext::RtfFromPlainText("walrus page"),
                                      0, 46000));
    }
    // The names in the folder, as bytes.
    std::vector<std::string> Names() const {
        std::vector<std::string> names;
        for (const auto& entry : fs::directory_iterator(dir.Path())) names.push_back(entry.path().filename().string());
        return names;
    }
    bool Has(const std::string& name) const {
        const std::vector<std::string> names = Names();
        return std::find(names.begin(), names.end(), name) != names.end();
    }

    TempDir dir;
    std::string dataSet = dir.File("notes.jb");
    PageStore store;
};

TEST_F(CliFileNamesTest, ImportFindsTheFile) {
    for (const std::string& name : {kOdd + "notes.txt", std::string("caf\xe9.md"), kOdd + "page.rtf"}) {
        SCOPED_TRACE(name);
        const std::string text = name.ends_with(".rtf") ? richtext::RtfFromPlainText("odd name") : "odd name\n";
        WriteFileBytes(dir.File(name), text);
        const int before = store.PageCount(dataSet);
        const CliRun run = Cli("import --data " + dataSet + " '" + dir.File(name) + "'");
        EXPECT_EQ(0, run.exitCode) << run.out << run.err;
        ASSERT_EQ(before + 1, store.PageCount(dataSet));
        EXPECT_NE(std::string::npos, Cli("show " + std::to_string(before) + " --data " + dataSet).out.find("odd name"));
    }
}

// Each format is written under exactly the name given, and "Wrote" names it.
TEST_F(CliFileNamesTest, ExportWritesExactlyTheNameGiven) {
    for (const char* extension : {".txt", ".rtf", ".html", ".md", ".odt", ".pdf"}) {
        const std::string name = "out-" + kOdd + extension;
        SCOPED_TRACE(extension);
        const CliRun run = Cli("export --data " + dataSet + " --page 0 -o '" + dir.File(name) + "'");
        EXPECT_EQ(0, run.exitCode) << run.err;
        EXPECT_EQ("Wrote " + dir.File(name) + "\n", run.out);
        EXPECT_TRUE(Has(name));
        EXPECT_GT(ReadFileBytes(dir.File(name)).size(), 0u);
    }
    // Nothing else was left in the folder: the data set's files and the exports alone.
    for (const std::string& name : Names())
        EXPECT_TRUE(name.starts_with("notes.") || name.starts_with("out-" + kOdd)) << name;
}

TEST_F(CliFileNamesTest, OtherCommandsReachTheFileOfTheirName) {
    // A query file of such a name.
    WriteFileBytes(dir.File(kOdd + ".jqr"), "walrus\r\n0000000A\r\n");
    const CliRun query = Cli("export --data " + dataSet + " --query '" + dir.File(kOdd + ".jqr") + "' -o " +
                             dir.File("q.txt"));
    EXPECT_EQ(0, query.exitCode) << query.err;
    EXPECT_NE(std::string::npos, ReadFileBytes(dir.File("q.txt")).find("walrus page"));

    // A page added from such a file, into a data set of such a name.
    WriteFileBytes(dir.File(kOdd + ".txt"), "added page\n");
    const std::string odd = dir.File(kOdd + ".jb");
    const CliRun add = Cli("add --data '" + odd + "' --file '" + dir.File(kOdd + ".txt") + "'");
    EXPECT_EQ(0, add.exitCode) << add.err;
    EXPECT_NE(std::string::npos, Cli("show 0 --data '" + odd + "'").out.find("added page"));

    // Export from it and import into it.
    const CliRun out = Cli("export --data '" + odd + "' --page 0 -o " + dir.File("a.txt"));
    EXPECT_EQ(0, out.exitCode) << out.err;
    EXPECT_NE(std::string::npos, ReadFileBytes(dir.File("a.txt")).find("added page"));
    const CliRun in = Cli("import --data '" + odd + "' " + dir.File("a.txt"));
    EXPECT_EQ(0, in.exitCode) << in.err;
    EXPECT_EQ(2, store.PageCount(odd));

    // Renamed to such a name.
    const CliRun rename = Cli("rename '" + dir.File("new" + kOdd + ".jb") + "' --data " + dataSet);
    EXPECT_EQ(0, rename.exitCode) << rename.err;
    EXPECT_TRUE(Has("new" + kOdd + ".jb"));
    EXPECT_TRUE(Has("new" + kOdd + ".hd"));
}

}  // namespace
}  // namespace jb::test
