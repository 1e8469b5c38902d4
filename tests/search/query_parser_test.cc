#include "search/query_parser.h"

#include <gtest/gtest.h>

namespace jb::search {
namespace {

TEST(QueryParser, SplitsAndClassifiesTerms) {
    struct Case {
        std::string text;
        std::vector<std::string> split;
        std::vector<QueryTerm> terms;
    };
    const QueryTerm cat{'?', TermKind::kWord, "cat"};
    const Case cases[] = {
        {"cat and dog", {"cat", "+dog"}, {cat, {'+', TermKind::kWord, "dog"}}},
        {"Cat AND Dog", {"cat", "+dog"}, {cat, {'+', TermKind::kWord, "dog"}}},
        {"cat or dog", {"cat", "?dog"}, {cat, {'?', TermKind::kWord, "dog"}}},
        {"cat and not dog", {"cat", "-dog"}, {cat, {'-', TermKind::kWord, "dog"}}},
        {"and cat", {"and", "cat"}, {{'?', TermKind::kWord, "and"}, cat}},
        {"\"big cat\" -dog", {"\"big cat\"", "-dog"},
         {{'?', TermKind::kPhrase, "\"big cat\""}, {'-', TermKind::kWord, "dog"}}},
        {"+'big cat`", {"+'big cat`"}, {{'+', TermKind::kPhrase, "'big cat`"}}},
        {"john's", {"john's"}, {{'?', TermKind::kWord, "john's"}}},
        {"don't", {}, {}},
        {"cat don't dog", {"cat"}, {cat}},
        {"it's \"x\"", {"it's", "\"x\""}, {{'?', TermKind::kWord, "it's"}, {'?', TermKind::kPhrase, "\"x\""}}},
        {"a=b", {"a", "b"}, {{'?', TermKind::kWord, "a"}, {'?', TermKind::kWord, "b"}}},
        {"a&b &c", {"a&b", "&c"}, {{'?', TermKind::kWord, "a&b"}, {'&', TermKind::kWord, "c"}}},
        {"x\"y z\" comp* c*mp", {"x\"y z\"", "comp*", "c*mp"},
         {{'?', TermKind::kPrefix, "comp*"}, {'?', TermKind::kPrefix, "c*mp"}}},
        {"cat-dog!x", {"cat", "-dog", "!x"}, {cat, {'-', TermKind::kWord, "dog"}, {'!', TermKind::kWord, "x"}}},
        {"+", {"+"}, {{'+', TermKind::kWord, ""}}},
    };
    for (const Case& c : cases) {
        ParsedQuery q = ParseQuery(c.text, 0, nullptr);
        EXPECT_EQ(q.splitTerms, c.split) << c.text;
        EXPECT_EQ(q.terms, c.terms) << c.text;
    }
}

TEST(QueryParser, SingleTermAlwaysCombinesWithOr) {
    ParsedQuery one = ParseQuery("+cat", 0, nullptr);
    EXPECT_EQ(one.CombineOp(one.terms[0]), '?');
    ParsedQuery two = ParseQuery("+cat +dog", 0, nullptr);
    EXPECT_EQ(two.CombineOp(two.terms[0]), '+');
    ParsedQuery keyword = ParseQuery("reminder=today and cat", 0, nullptr);
    EXPECT_EQ(keyword.relative, (std::vector<RelativeDate>{{0, DateKind::kReminder}}));
    EXPECT_EQ(keyword.splitTerms, (std::vector<std::string>{"+cat"}));
    EXPECT_EQ(keyword.CombineOp(keyword.terms[0]), '?');
}

TEST(QueryParser, KeywordsAreCutAndReadFromTheTypedText) {
    struct Case {
        std::string text;
        std::string working;
        std::vector<RelativeDate> relative;
        std::vector<DateCondition> conditions;
        int sortKey;
    };
    const Case cases[] = {
        {"Reminder=Today cat", " cat", {{0, DateKind::kReminder}}, {}, 1},
        {"reminder=tommorow date=yesterday modified=today x", "   x",
         {{1, DateKind::kReminder}, {0, DateKind::kModification}, {-1, DateKind::kCreation}}, {}, 1},
        {"date<=31/12/1999", "", {}, {{DateComparison::kOnOrBefore, DateKind::kCreation, "31/12/1999"}}, 1},
        {"Date<=31/12/1999", "", {}, {}, 1},
        {"modified>=1/2/2003 cat", "at", {}, {{DateComparison::kOnOrAfter, DateKind::kModification, "1/2/2003 c"}}, 1},
        {"cat modified>=1/2/2003", "cat ", {}, {{DateComparison::kOnOrAfter, DateKind::kModification, "1/2/2003"}}, 1},
        {"reminder=tomorrow dog", "og", {}, {{DateComparison::kSameDay, DateKind::kReminder, "tomorrow d"}}, 1},
        {"update=01/02/2003", "up", {}, {{DateComparison::kSameDay, DateKind::kCreation, "01/02/2003"}}, 1},
        {"date=today date=01/01/2000", " ", {{0, DateKind::kCreation}}, {}, 1},
        {"reminder>=01/01/2000 modified=02/02/2000 date>=03/03/2000", "  ", {},
         {{DateComparison::kOnOrAfter, DateKind::kCreation, "03/03/2000"},
          {DateComparison::kOnOrAfter, DateKind::kReminder, "01/01/2000"},
          {DateComparison::kSameDay, DateKind::kModification, "02/02/2000"}}, 1},
        {"sort=page sort=date", " ", {}, {}, 2},
        {"cat sort=reminder", "cat ", {}, {}, 4},
    };
    for (const Case& c : cases) {
        ParsedQuery q = ParseQuery(c.text, 0, nullptr);
        EXPECT_EQ(q.workingText, c.working) << c.text;
        EXPECT_EQ(q.relative, c.relative) << c.text;
        EXPECT_EQ(q.conditions, c.conditions) << c.text;
        EXPECT_EQ(q.sortKey, c.sortKey) << c.text;
    }
}

TEST(QueryParser, LimitsRefinementAndEmptyText) {
    std::string longText;
    while (longText.size() < 300) longText += "abcdefghi ";
    ParsedQuery q = ParseQuery(longText, 2, nullptr);
    EXPECT_EQ(q.workingText, longText.substr(0, 255));
    EXPECT_EQ(q.sortKey, 3);

    const std::string open = "cat ";
    ParsedQuery refined = ParseQuery("Dog", 0, &open);
    EXPECT_EQ(refined.workingText, "cat +dog");
    EXPECT_EQ(refined.StoredText(), "cat +dog ");
    EXPECT_EQ(refined.splitTerms, (std::vector<std::string>{"cat", "+dog"}));
    // Nothing left after the keywords: no terms, even with the prefix.
    ParsedQuery onlySort = ParseQuery("sort=page", 0, &open);
    EXPECT_EQ(onlySort.workingText, "cat +");
    EXPECT_TRUE(onlySort.splitTerms.empty());

    EXPECT_TRUE(ParseQuery("", 0, &open).emptyText);
    EXPECT_EQ(ParseQuery("", 0, &open).StoredText(), " ");
}

}  // namespace
}  // namespace jb::search
