// jotterbase-cli search run as a program on a small data set with its index file.

#include <gtest/gtest.h>

#include <cstdio>

#include "app/cli_run.h"
#include "search/search_engine.h"
#include "store/dataset_paths.h"
#include "store/page_store.h"
#include "store/word_index.h"
#include "support/temp_dir.h"

namespace jb::test {
namespace {

const double kDay = 46000;  // 09/12/2025

class CliSearchTest : public ::testing::Test {
protected:
    void SetUp() override {
        // page  id        words              created           modified
        //    0  0000000A  cat dog            29/11/2025 (-10)  04/12/2025 (-5)
        //    1  0000000B  computer company   19/11/2025 (-20)  08/12/2025 (-1)
        //    2  0000000C  dog big bird       09/11/2025 (-30)  07/12/2025 (-2)
        //    3  0000000D  the big cat        30/10/2025 (-40)  09/12/2025
        Write(0, "0000000A", "cat dog", -10, -5);
        Write(1, "0000000B", "computer company", -20, -1);
        Write(2, "0000000C", "dog big bird", -30, -2);
        Write(3, "0000000D", "the big cat", -40, 0);
        SaveIndex(index, dataSet);
        indexFile = ReadFileBytes(CompanionPath(dataSet, ".idx"));
    }

    void Write(int n, const std::string& id, const std::string& words, int created, int modified) {
        clock.Set(kDay + modified);
        ASSERT_EQ(store.WritePage(dataSet, n, "", false, false, id, "{\\rtf1 " + words + "}", 0, kDay + created), 0u);
        AddPageWords(index, dataSet, id, words);
    }

    std::string Data() const { return " --data " + dataSet; }

    TempDir dir;
    FixedClock clock{kDay};
    PageStore store{FileSystem::Default(), clock};
    IndexList index;
    std::string dataSet = dir.File("data.jb");
    std::string indexFile;
};

TEST_F(CliSearchTest, PrintsStoredQueryThenPagesOrExplainsWhyNot) {
    const std::string none = search::NoPagesMessage().text + "\n";
    struct Case {
        std::string arguments;
        int exitCode;
        std::string out;
        std::string errPart;  // empty: nothing on standard error
    } cases[] = {
        {"cat", 0, "cat \n0\t0000000A\n3\t0000000D\n", ""},
        {"'Cat  AND dog'", 0, "cat  +dog \n0\t0000000A\n", ""},
        {"'comp*'", 0, "comp* \n1\t0000000B\n", ""},
        {"'\"big bird\"'", 0, "\"big bird\" \n2\t0000000C\n", ""},
        {"xyzzy", 1, "", none},
        {"'cat -cat'", 1, "", none},
        // Sorting: page number, then by modification (newest first), and the sort keyword.
        {"cat --sort page", 0, "cat \n0\t0000000A\n3\t0000000D\n", ""},
        {"cat --sort modified", 0, "cat \n3\t0000000D\n0\t0000000A\n", ""},
        {"dog --sort modified", 0, "dog \n2\t0000000C\n0\t0000000A\n", ""},
        {"\"cat sort=modified\"", 0, "cat  \n3\t0000000D\n0\t0000000A\n", ""},
        {"cat --sort size", 1, "", "--sort takes one of: page, creation, modified, reminder"},
        // The date filters of the dialog, on the chosen kind of date.
        {"dog --date-kind modified --after 05/12/2025", 0, "dog \n2\t0000000C\n", ""},
        {"dog --date-kind modified --before 05/12/2025", 0, "dog \n0\t0000000A\n", ""},
        {"big --date-kind creation --after 01/11/2025", 0, "big \n2\t0000000C\n", ""},
        {"big --date-kind creation --after 01/11/2025 --before 08/11/2025", 1, "", none},
        {"'' --date-kind modified --after 08/12/2025", 0, " \n1\t0000000B\n3\t0000000D\n", ""},
        {"dog --after 01/01/2025", 1, "", none},  // by reminder date: no page has one
        // Refining the stored text of an open query.
        {"dog --refine 'cat '", 0, "cat +dog \n0\t0000000A\n", ""},
        {"bird --refine 'cat '", 1, "", none},
        // Invalid dates: in the query the search stops; as an option the command is refused.
        {"'cat date>=32/13/2025'", 2, "", "'32/13/2025' is not a valid date"},
        {"cat --after 31/02/2025", 1, "", "--after '31/02/2025' is not a date in the short date format (dd/mm/yyyy)"},
        {"", 1, "", "give exactly one query text"},
    };
    for (const Case& c : cases) {
        CliRun r = Cli("search " + c.arguments + Data());
        EXPECT_EQ(r.exitCode, c.exitCode) << c.arguments << "\n" << r.err;
        EXPECT_EQ(r.out, c.out) << c.arguments;
        if (c.errPart.empty())
            EXPECT_EQ(r.err, "") << c.arguments;
        else
            EXPECT_NE(r.err.find(c.errPart), std::string::npos) << c.arguments << "\n" << r.err;
    }
    EXPECT_EQ(ReadFileBytes(CompanionPath(dataSet, ".idx")), indexFile) << "a search only reads the index file";
}

TEST_F(CliSearchTest, JsonCarriesFlagsPagesAndMessages) {
    struct Case {
        std::string arguments;
        int exitCode;
        std::string out;
    } cases[] = {
        {"'cat sort=modified' --json", 0,
         "{\"found\":true,\"stopped\":false,\"query\":\"cat  \",\"highlight\":true,\"pages\":["
         "{\"number\":3,\"id\":\"0000000D\"},{\"number\":0,\"id\":\"0000000A\"}],\"messages\":[]}\n"},
        {"'' --json --date-kind modified --after 09/12/2025", 0,
         "{\"found\":true,\"stopped\":false,\"query\":\" \",\"highlight\":false,\"pages\":["
         "{\"number\":3,\"id\":\"0000000D\"}],\"messages\":[]}\n"},
        {"xyzzy --json", 1,
         "{\"found\":false,\"stopped\":false,\"query\":\"\",\"highlight\":true,\"pages\":[],\"messages\":["
         "{\"caption\":\"" + search::NoPagesMessage().caption + "\",\"text\":\"" + search::NoPagesMessage().text +
             "\",\"error\":false}]}\n"},
        {"'cat date>=32/13/2025' --json", 2,
         "{\"found\":false,\"stopped\":true,\"query\":\"\",\"highlight\":false,\"pages\":[],\"messages\":["
         "{\"caption\":\"Jotterbase\",\"text\":\"'32/13/2025' is not a valid date\",\"error\":true}]}\n"},
    };
    for (const Case& c : cases) {
        CliRun r = Cli("search " + c.arguments + Data());
        EXPECT_EQ(r.exitCode, c.exitCode) << c.arguments << "\n" << r.err;
        EXPECT_EQ(r.out, c.out) << c.arguments;
        EXPECT_EQ(r.err, "") << c.arguments;  // messages go into the JSON
    }
    EXPECT_EQ(ReadFileBytes(CompanionPath(dataSet, ".idx")), indexFile) << "a search only reads the index file";
}

}  // namespace
}  // namespace jb::test
