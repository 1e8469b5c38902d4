// Two programs writing one data set at once: every page a writer reported stored is there,
// once, and readable, whatever ran beside it.

#include <gtest/gtest.h>

#include <cstdlib>
#include <set>
#include <sstream>
#include <string>

#include "app/cli_run.h"
#include "richtext/richtext.h"
#include "store/page_store.h"
#include "support/temp_dir.h"

namespace jb::test {
namespace {

// A shell loop adding pages "WRITER-i" for i in 1..count, in the background; what goes wrong is
// written to `log`.
std::string AddLoop(const std::string& dataSet, const std::string& writer, int count, const std::string& log) {
    return "( for i in $(seq 1 " + std::to_string(count) + "); do echo " + writer + "-$i | " + JB_CLI_PATH +
           " add --data " + dataSet + " >/dev/null 2>>" + log + " || echo FAILED >>" + log + "; done ) &";
}

// Every page's text, checking each reads.
std::multiset<std::string> Texts(const std::string& dataSet) {
    PageStore store;
    std::multiset<std::string> texts;
    for (int n = 0; n < store.PageCount(dataSet); ++n) {
        PageInfo info;
        std::string body;
        EXPECT_EQ(0u, store.ReadPageBody(dataSet, n, info, body));
        if (!body.empty()) body.pop_back();
        std::string text = richtext::PlainTextOf(body);
        while (!text.empty() && text.back() == '\n') text.pop_back();
        texts.insert(text);
    }
    return texts;
}

TEST(CliConcurrency, EveryPageReportedStoredIsThereOnce) {
    const struct {
        const char* name;
        std::string besides;  // a second writer's shell loop, run beside the first add loop
        int pagesBesides;
    } cases[] = {
        {"two add loops", "B", 20},
        {"an add loop beside packs", "pack", 0},
        {"an add loop beside purges", "purge", 0},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        TempDir dir;
        const std::string dataSet = dir.File("notes.jb");
        ASSERT_EQ(0, Cli("add --data " + dataSet, "first\n").exitCode);
        const std::string log = dir.File("log");
        std::string script = AddLoop(dataSet, "A", 20, log) + "\n";
        if (c.pagesBesides > 0)
            script += AddLoop(dataSet, c.besides, c.pagesBesides, log) + "\n";
        else
            script += "( for i in $(seq 1 15); do " + std::string(JB_CLI_PATH) + " " + c.besides + " --data " + dataSet +
                      " >/dev/null 2>>" + log + " || echo FAILED >>" + log + "; done ) &\n";
        script += "wait\n";
        WriteFileBytes(dir.File("writers.sh"), script);
        ASSERT_EQ(0, std::system(("sh " + dir.File("writers.sh")).c_str()));
        EXPECT_EQ("", ReadFileBytes(log)) << "no writer failed";
        std::multiset<std::string> expected = {"first"};
        for (int i = 1; i <= 20; ++i) expected.insert("A-" + std::to_string(i));
        for (int i = 1; i <= c.pagesBesides; ++i) expected.insert(c.besides + "-" + std::to_string(i));
        EXPECT_EQ(expected, Texts(dataSet));
        std::set<std::string> ids;
        PageStore store;
        for (int n = 0; n < store.PageCount(dataSet); ++n) ids.insert(store.PageIdAt(dataSet, n));
        EXPECT_EQ(expected.size(), ids.size()) << "every page has an ID of its own";
        EXPECT_EQ(0, Cli("check --data " + dataSet).exitCode) << Cli("check --data " + dataSet).out;
    }
}

}  // namespace
}  // namespace jb::test
