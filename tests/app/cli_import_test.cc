// jotterbase-cli import: new pages from files, their numbers and IDs, DOS records, and the
// refusals that store nothing.

#include <gtest/gtest.h>

#include <sstream>
#include <string>
#include <tuple>
#include <vector>

#include "app/cli_run.h"
#include "richtext/richtext.h"
#include "store/page_store.h"
#include "support/temp_dir.h"

namespace jb::test {
namespace {

class CliImportTest : public ::testing::Test {
protected:
    CliRun Import(const std::string& arguments) { return Cli("import --data " + dataSet + " " + arguments); }
    std::string File(const std::string& name, const std::string& bytes) {
        WriteFileBytes(dir.File(name), bytes);
        return dir.File(name);
    }
    std::string Text(int n) {
        PageInfo info;
        std::string body;
        EXPECT_EQ(0u, store.ReadPageBody(dataSet, n, info, body));
        return richtext::PlainTextOf(body);
    }

    TempDir dir;
    std::string dataSet = dir.File("notes.jb");
    PageStore store;
};

std::string Lines(int from, int to) {
    std::string text;
    for (int i = from; i <= to; ++i) text += "line " + std::to_string(i) + "\n";
    return text;
}

TEST_F(CliImportTest, MakesANewDataSetAndPrintsEachNewPage) {
    const CliRun run = Import(File("a.txt", Lines(1, 301)) + " " + File("b.md", "# Head\n\nsome *words*\n") +
                              " --type md");
    ASSERT_EQ(0, run.exitCode) << run.err;
    EXPECT_EQ("", run.err);
    ASSERT_EQ(4, store.PageCount(dataSet));
    std::istringstream lines(run.out);
    for (int n = 0; n < 4; ++n) {
        std::string line;
        ASSERT_TRUE(std::getline(lines, line)) << run.out;
        EXPECT_EQ(std::to_string(n) + "\t" + store.PageIdAt(dataSet, n), line);
    }
    EXPECT_EQ("line 301", Text(2));
    EXPECT_EQ("Head\nsome words", Text(3));
    const CliRun search = Cli("search words --data " + dataSet);
    EXPECT_NE(std::string::npos, search.out.find(store.PageIdAt(dataSet, 3))) << "indexed: " << search.out;
}

TEST_F(CliImportTest, DosRecordsMakeOnePageEach) {
    const CliRun run = Import("--dos " + File("records", "one\n~\ntwo\n~ \nstill two\n~\n"));
    ASSERT_EQ(0, run.exitCode) << run.err;
    ASSERT_EQ(2, store.PageCount(dataSet));
    EXPECT_EQ("one\n", Text(0));
    EXPECT_EQ("two\n~ \nstill two\n", Text(1));
}

// Without --type a file is read as its extension says; --type decides where it is given, and a
// file whose extension says nothing is rich text, as it always was.
TEST_F(CliImportTest, TheExtensionSaysWhatAFileIsUnlessTheTypeIsGiven) {
    const std::string html = "<p><b>walrus</b> words</p>", markdown = "# Walrus\n\n*words*\n";
    const std::string utf16 = std::string("\xFF\xFE", 2) + std::string("w\0\xE9\0\n\0x\0", 8);
    const std::vector<std::tuple<std::string, std::string, std::string, std::string>> cases = {
        {"a.html", html, "", "walrus words"},
        {"a.HTM", html, "", "walrus words"},
        {"a.md", markdown, "", "Walrus\nwords"},
        {"a.Markdown", markdown, "", "Walrus\nwords"},
        {"a.TXT", html, "", html},
        {"b.html", html, "--type txt", html},
        {"b.md", markdown, "--type html", "# Walrus *words* "},
        {"notes", "{\\rtf1 rich words}", "", "rich words"},
        {"u16.txt", utf16, "", "w\xC3\xA9\nx"},
        {"u16be.txt", std::string("\xFE\xFF\0w\0\xE9", 6), "", "w\xC3\xA9"},
    };
    for (std::size_t i = 0; i < cases.size(); ++i) {
        const auto& [name, bytes, type, text] = cases[i];
        const std::string data = dir.File("d" + std::to_string(i) + ".jb");
        const CliRun run = Cli("import --data " + data + " " + File(name, bytes) + " " + type);
        ASSERT_EQ(0, run.exitCode) << name << " " << type << ": " << run.err;
        ASSERT_EQ(1, store.PageCount(data)) << name;
        PageInfo info;
        std::string body;
        ASSERT_EQ(0u, store.ReadPageBody(data, 0, info, body));
        EXPECT_EQ(text, richtext::PlainTextOf(body)) << name << " " << type;
    }
}

TEST_F(CliImportTest, RefusalsStoreNothingOfTheirFile) {
    using namespace std::string_literals;
    const std::vector<std::tuple<std::string, int, std::string, int>> cases = {
        {"", 2, "name the files", 0},
        {dir.File("missing.txt"), 1, "does not exist", 0},
        {File("ok.txt", "fine\n") + " " + dir.File("missing.txt"), 1, "does not exist", 0},
        {File("bin.txt", "a\0b"s), 1, "cannot be read: it is not a text, RTF, HTML or Markdown file", 0},
        {File("bin.html", "\x89PNG\0\0"s), 1, "is not a text, RTF, HTML or Markdown file", 0},
        {File("x.rtf", "not rich"), 1, "cannot be read as rich text", 0},
        {File("ok2.txt", "kept\n") + " " + File("y.rtf", "not rich"), 1, "cannot be read", 1},
        {File("empty.txt", ""), 0, "holds no text", 0},
        {File("z.txt", "x") + " --type doc", 2, "'doc' is not an import type", 0},
    };
    for (std::size_t i = 0; i < cases.size(); ++i) {
        const auto& [arguments, exitCode, said, pages] = cases[i];
        const std::string data = dir.File("d" + std::to_string(i) + ".jb");
        const CliRun run = Cli("import --data " + data + " " + arguments);
        EXPECT_EQ(exitCode, run.exitCode) << arguments;
        EXPECT_NE(std::string::npos, run.err.find(said)) << arguments << ": " << run.err;
        EXPECT_EQ(pages, store.PageCount(data)) << arguments;
    }
}

}  // namespace
}  // namespace jb::test
