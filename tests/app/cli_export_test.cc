// jotterbase-cli export: the choices, the formats, protected pages and every refusal.

#include <gtest/gtest.h>

#include <algorithm>
#include <tuple>
#include <vector>

#include "app/cli_run.h"
#include "richtext/richtext.h"
#include "store/page_store.h"
#include "support/temp_dir.h"
#include "transfer/outside_tools.h"

namespace jb::test {
namespace {

class CliExportTest : public ::testing::Test {
protected:
    // Pages "page 0" .. "page 3" with IDs 0000000A ..; page 1 is protected with "Abc".
    void SetUp() override {
        for (int i = 0; i < 4; ++i)
            ASSERT_EQ(0u, store.WritePage(dataSet, i, i == 1 ? "Abc" : "", false, false,
                                          "0000000" + std::string(1, static_cast<char>('A' + i)),
                                          richtext::RtfFromPlainText("page " + std::to_string(i)), 0, 46000));
    }
    CliRun Export(const std::string& arguments) { return Cli("export --data " + dataSet + " " + arguments); }

    TempDir dir;
    std::string dataSet = dir.File("notes.jb");
    PageStore store;
};

TEST_F(CliExportTest, EachChoiceWritesItsPages) {
    WriteFileBytes(dir.File("q.jqr"), "page\r\n0000000D\r\n0000000A\r\n");
    const std::vector<std::tuple<std::string, std::string>> cases = {
        {"--page 2", "page 2"},
        {"--range 2-3", "---Record Number 2 begins---\npage 2\n\n---Record Number 3 begins---\npage 3\n"},
        {"--range 2-3 --no-marks", "page 2\npage 3"},
        {"--range 3-2", ""},
        {"--query " + dir.File("q.jqr"),
         "Query: \"page\"\n\n---Record Number 3 begins---\npage 3\n\n---Record Number 0 begins---\npage 0\n"},
        {"--range 0-1 --password 1=aBC",
         "---Record Number 0 begins---\npage 0\n\n---Record Number 1 begins---\npage 1\n"},
    };
    for (const auto& [choice, text] : cases) {
        const CliRun run = Export(choice + " -o " + dir.File("out.txt"));
        EXPECT_EQ(0, run.exitCode) << choice << ": " << run.err;
        EXPECT_EQ("", run.err) << choice;
        EXPECT_EQ(text, ReadFileBytes(dir.File("out.txt"))) << choice;
    }
}

TEST_F(CliExportTest, TheFormatComesFromTheOptionOrTheExtension) {
    const std::vector<std::tuple<std::string, std::string, std::string>> cases = {
        {"out.rtf", "", "{\\rtf1"}, {"out.htm", "", "<!DOCTYPE"}, {"out.html", "", "<!DOCTYPE"},
        {"out.md", "", "page 2"},   {"out.odt", "", "PK"},         {"out.pdf", "", "%PDF"},
        {"out.data", "--format txt", "page 2"}, {"OUT.RTF", "", "{\\rtf1"},
    };
    for (const auto& [name, format, start] : cases) {
        const CliRun run = Export("--page 2 -o " + dir.File(name) + " " + format);
        ASSERT_EQ(0, run.exitCode) << name << ": " << run.err;
        EXPECT_EQ(0u, ReadFileBytes(dir.File(name)).find(start)) << name;
    }
}

TEST_F(CliExportTest, AProtectedPageWithoutItsPasswordIsLeftOutAndSaidSo) {
    const std::vector<std::tuple<std::string, std::string>> cases = {
        {"", "page 1 is protected and left out"},
        {"--password 1=wrong", "wrong password for page 1"},
    };
    for (const auto& [password, said] : cases) {
        const CliRun run = Export("--range 0-2 --no-marks -o " + dir.File("out.txt") + " " + password);
        EXPECT_EQ(0, run.exitCode);
        EXPECT_NE(std::string::npos, run.err.find(said)) << run.err;
        EXPECT_EQ("page 0\npage 2", ReadFileBytes(dir.File("out.txt")));
    }
}

TEST_F(CliExportTest, RefusalsWriteNothing) {
    const std::vector<std::tuple<std::string, int, std::string>> cases = {
        {"--page 2", 2, "-o FILE"},
        {"-o OUT", 2, "one of --page, --range and --query"},
        {"--page 1 --range 1-2 -o OUT", 2, "one of"},
        {"--page 9 -o OUT", 2, "There is no page 9"},
        {"--range 1-9 -o OUT", 2, "There is no page 9"},
        {"--range 2 -o OUT", 2, "FROM-TO"},
        {"--page x -o OUT", 2, "not a page number"},
        {"--page 1 --format doc -o OUT", 2, "'doc' is not a format"},
        {"--page 1 -o " "OUTX", 2, "give --format"},
        {"--page 1 --password 1 -o OUT", 2, "N=PASSWORD"},
        {"--page 1 stray -o OUT", 2, "'stray' is not an option"},
        {"--query nothere.jqr -o OUT", 1, "does not appear to exist"},
    };
    const std::string out = dir.File("refused.rtf");
    for (auto [arguments, exitCode, said] : cases) {
        const std::size_t at = arguments.find("OUTX");
        if (at != std::string::npos) arguments.replace(at, 4, dir.File("noextension"));
        else if (const std::size_t o = arguments.find("OUT"); o != std::string::npos) arguments.replace(o, 3, out);
        const CliRun run = Export(arguments);
        EXPECT_EQ(exitCode, run.exitCode) << arguments;
        EXPECT_NE(std::string::npos, run.err.find(said)) << arguments << ": " << run.err;
        EXPECT_FALSE(FileExists(out)) << arguments;
    }
    const CliRun missing = Cli("export --data " + dir.File("none.jb") + " --page 0 -o " + out);
    EXPECT_EQ(1, missing.exitCode);
    EXPECT_NE(std::string::npos, missing.err.find("no data set here")) << missing.err;
    const CliRun help = Cli("export --help");
    EXPECT_EQ(0, help.exitCode);
    EXPECT_NE(std::string::npos, help.out.find("--range FROM-TO")) << help.out;
}

// Markdown is read by other programs: what they read back from a page must be its text, however
// much of it looks like markup.
TEST_F(CliExportTest, MarkdownReadsBackAsThePageText) {
    int status = -1;
    CommandOutput("pandoc --version >/dev/null 2>&1", &status);
    if (status != 0) GTEST_SKIP() << "pandoc is not installed: the Markdown cannot be read back";
    const std::vector<std::string> lines = {
        "# not a heading",
        "1. not a list item",
        "(a) b) iv. A. not lettered lists either",
        "<b>not bold</b> & <script>x</script> &amp; &#32;",
        "<!-- not a comment --> <http://x.y>",
        "[text](http://x) ![picture](p.png) [^1] ^[note]",
        "`tick` and ``two``",
        "\\back\\slash\\",
        "- dash",
        "+ plus",
        "* star",
        "> quote",
        "a *star* _under_ **2*3*4** __x__",
        "don't \"quote\" -- en --- em and...",
        "x@y.com and @key",
        "$x$ a^2^ H~2~O ~~struck~~ a|b",
        "---",
        "===",
        ": not a definition",
        "% not a title",
        "{.class} {#id} :smile:",
        "  two  spaces and    four    ",
        "tab\there",
    };
    std::string text;
    for (const std::string& line : lines) text += line + "\n";
    ASSERT_EQ(0u,
              store.WritePage(dataSet, 4, "", false, false, "0000000E", richtext::RtfFromPlainText(text), 0, 46000));
    const CliRun run = Export("--page 4 -o " + dir.File("out.md"));
    ASSERT_EQ(0, run.exitCode) << run.err;
    const std::string read = CommandOutput("pandoc -f markdown -t plain --wrap=none '" + dir.File("out.md") + "'");
    std::vector<std::string> paragraphs;
    for (std::size_t at = 0; at < read.size();) {
        const std::size_t end = std::min(read.find("\n\n", at), read.size() - 1);
        paragraphs.push_back(read.substr(at, end - at));
        at = end + 2;
    }
    ASSERT_EQ(lines.size(), paragraphs.size()) << read << "\nfrom\n" << ReadFileBytes(dir.File("out.md"));
    for (std::size_t i = 0; i < lines.size(); ++i) EXPECT_EQ(lines[i], paragraphs[i]);

    // Emphasis stays emphasis, and the markup-like text inside it stays text.
    ASSERT_EQ(0u, store.WritePage(dataSet, 5, "", false, false, "0000000F",
                                  "{\\rtf1\\ansi {\\b # bold* } and {\\i  _it_} {\\b\\i both}\\par}", 0, 46000));
    ASSERT_EQ(0, Export("--page 5 -o " + dir.File("rich.md")).exitCode);
    EXPECT_EQ("# bold*  and  _it_ both\n",
              CommandOutput("pandoc -f markdown -t plain --wrap=none '" + dir.File("rich.md") + "'"));
    const std::string json = CommandOutput("pandoc -f markdown -t json '" + dir.File("rich.md") + "'");
    EXPECT_NE(std::string::npos, json.find("{\"t\":\"Strong\",\"c\":[{\"t\":\"Str\",\"c\":\"#\"}")) << json;
    EXPECT_NE(std::string::npos, json.find("{\"t\":\"Emph\",\"c\":[{\"t\":\"Str\",\"c\":\"_it_\"}")) << json;
}

}  // namespace
}  // namespace jb::test
