#include "workspace/workspace_text.h"

#include <gtest/gtest.h>

namespace jb::workspace {
namespace {

TEST(CaptionText, NamesTheDataSetInLowerCaseWithItsPageCount) {
    const struct {
        const char* dataSet;
        int pages;
        const char* caption;
    } cases[] = {
        {"/p/data.jb", 12, "data.jb (12 pages)"},
        {"/p/DATA.JB", 0, "data.jb (0 pages)"},
        {"/p/%Data.jb", 3, "Deleted pages from: data.jb (3 pages)"},
        {"/p/My Notes.JB", 1, "my notes.jb (1 pages)"},
    };
    for (const auto& c : cases) EXPECT_EQ(c.caption, CaptionText(c.dataSet, c.pages)) << c.dataSet;
}

TEST(PageNumberBox, AcceptsDigitsOnlyAndReadsTheNumber) {
    const struct {
        const char* text;
        bool valid;
        std::optional<int> number;
    } cases[] = {
        {"0", true, 0},       {"007", true, 7},       {"", true, std::nullopt},
        {"12a", false, {}},   {"-1", false, {}},      {" 3", false, {}},
        {"last", false, {}},  {"99999999999", true, INT32_MAX},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(c.valid, IsPageNumberText(c.text)) << c.text;
        if (c.valid) {
            EXPECT_EQ(c.number, PageNumberOf(c.text)) << c.text;
        }
    }
    EXPECT_TRUE(IsLastKeyword("LAST"));
    EXPECT_TRUE(IsLastKeyword("Last"));
    EXPECT_FALSE(IsLastKeyword("last "));
}

TEST(CommandLine, FindSwitchInAnyCaseAndFileNamesJoinedBySpaces) {
    EXPECT_TRUE(IsFindSwitch({"/find"}));
    EXPECT_TRUE(IsFindSwitch({"/FiNd", "x"}));
    EXPECT_FALSE(IsFindSwitch({"x", "/FIND"}));
    EXPECT_FALSE(IsFindSwitch({}));
    EXPECT_EQ("/tmp/my notes.txt", JoinedParameters({"/tmp/my", "notes.txt"}));
    EXPECT_EQ("", JoinedParameters({}));
}

TEST(WebAddresses, GetHttpInFrontOnceUnlessAlreadyAfterTwoSlashes) {
    const struct {
        std::u16string text;
        std::vector<std::size_t> positions;
    } cases[] = {
        {u"see www.a.com", {4}},
        {u"WWW.A.COM", {0}},
        {u"http://www.a.com", {}},
        {u"x//www.b", {}},
        // the second insertion counts the first one's seven characters
        {u"www.a.com www.b.com", {0, 17}},
        {u"no address", {}},
        // the search goes on 11 characters after an occurrence: a close second one is missed
        {u"//www.www.x", {}},
    };
    for (const auto& c : cases) EXPECT_EQ(c.positions, WebAddressInsertions(c.text));
}

}  // namespace
}  // namespace jb::workspace
