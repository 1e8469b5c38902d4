// jotterbase-cli show prints the text the window's editor holds for a page: each paragraph a
// line, the empty ones too.

#include <QTextDocument>
#include <gtest/gtest.h>

#include <algorithm>
#include <string>
#include <utility>
#include <vector>

#include "app/cli_run.h"
#include "editor/rtf_bridge.h"
#include "store/page_store.h"
#include "support/temp_dir.h"
#include "workspace/scripted_dialogs.h"

namespace jb::test {
namespace {

// What the window shows of a stored page body: its plain text and its number of paragraphs.
std::pair<std::string, long> WindowText(const std::string& body) {
    QTextDocument doc;
    editor::LoadRtf(doc, body);
    return {editor::EditorPlainText(doc).toStdString(), doc.blockCount()};
}

TEST(CliShow, PrintsEveryParagraphTheWindowShowsEmptyOnesIncluded) {
    EnsureApplication();
    TempDir dir;
    const std::string dataSet = dir.File("notes.jb");
    std::string imported;
    for (int i = 1; i <= 148; ++i) imported += "line " + std::to_string(i) + "\n";
    WriteFileBytes(dir.File("imported.txt"), imported + "\n\n");
    ASSERT_EQ(0, Cli("import --data " + dataSet + " " + dir.File("imported.txt")).exitCode);
    ASSERT_EQ(0, Cli("add --data " + dataSet, "typed\nlines\n").exitCode);
    PageStore store;
    const std::vector<std::string> bodies = {
        "{\\rtf1\\ansi two empty after\\par\\par\\par}",
        "{\\rtf1\\ansi \\par\\par middle\\par}",
        "{\\rtf1\\ansi no end}",
        "{\\rtf1\\ansi }",
    };
    for (const std::string& body : bodies) {
        int n = 0;
        ASSERT_EQ(0u, store.AppendPage(dataSet, "", false, store.NewPageId(dataSet), body, 0, 46000, n));
    }
    for (int n = 0; n < store.PageCount(dataSet); ++n) {
        PageInfo info;
        std::string body;
        ASSERT_EQ(0u, store.ReadPageBody(dataSet, n, info, body));
        body.pop_back();  // the trailer byte
        const CliRun show = Cli("show " + std::to_string(n) + " --data " + dataSet);
        ASSERT_EQ(0, show.exitCode) << show.err;
        const auto [text, paragraphs] = WindowText(body);
        EXPECT_EQ(text + "\n", show.out) << "page " << n << ": " << body;
        EXPECT_EQ(paragraphs, std::count(show.out.begin(), show.out.end(), '\n')) << "page " << n << ": a line each";
    }
}

}  // namespace
}  // namespace jb::test
