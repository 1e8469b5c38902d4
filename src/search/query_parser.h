#pragma once
// The query language: how one line of query text is taken apart into relative date keywords,
// comparison keywords, a sort keyword and search terms.
//
// The text is lower-cased (ASCII letters) into the working text, cut after its 255th byte;
// "and not", "and" and "or" between spaces become "-", "+" and "?"; the relative date keywords
// ("reminder=today" ...) are noted and cut out; the comparison keywords ("modified>=" ...) are
// cut out with the 10-byte date after them; the sort keywords ("sort=page" ...) set the sort key
// and are cut out. When refining, the open query's stored text and "+" go in front. What remains
// is split into terms. The comparison keywords are then read again from the query text as typed,
// so that only those typed in lower case filter anything.

#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace jb::search {

enum class DateKind { kReminder, kCreation, kModification };
enum class DateComparison { kOnOrBefore, kOnOrAfter, kSameDay };
enum class TermKind { kWord, kPrefix, kPhrase };

// One relative date keyword: the pages whose date of `kind` is today + `offset` days.
struct RelativeDate {
    int offset = 0;
    DateKind kind = DateKind::kReminder;
    friend bool operator==(const RelativeDate&, const RelativeDate&) = default;
};

// One comparison keyword as found in the query text as typed; `dateText` is the (at most) 10
// bytes that follow it.
struct DateCondition {
    DateComparison comparison = DateComparison::kSameDay;
    DateKind kind = DateKind::kCreation;
    std::string dateText;
    friend bool operator==(const DateCondition&, const DateCondition&) = default;
};

// A classified term. `text` is the term without its operator character; a phrase keeps its quote
// characters (the phrase scan drops them).
struct QueryTerm {
    char op = '?';  // '?', '+', '-', '!', '&'
    TermKind kind = TermKind::kWord;
    std::string text;
    friend bool operator==(const QueryTerm&, const QueryTerm&) = default;
};

struct ParsedQuery {
    bool emptyText = false;  // the query text was empty: nothing but the dialog's date filters
    int sortKey = 1;         // 1 page number, 2 creation, 3 modification, 4 reminder
    std::vector<RelativeDate> relative;  // in the order their pages are appended
    std::string workingText;             // what remains, with the refinement prefix
    std::vector<std::string> splitTerms; // MakeSearchTermList's output
    std::vector<QueryTerm> terms;        // the classified terms in order (ignored ones left out)
    std::vector<DateCondition> conditions;  // in evaluation order

    // The stored query text of a search that finds pages.
    std::string StoredText() const { return workingText + " "; }
    // The operator a term combines with: its own, except in a query of exactly one term.
    char CombineOp(const QueryTerm& term) const { return splitTerms.size() == 1 ? '?' : term.op; }
};

inline constexpr std::size_t kWorkingTextLimit = 255;

// `sortChoice` is the dialog's sort item (0..3). `refineText`, when given, is the stored text
// of the open query being refined.
ParsedQuery ParseQuery(std::string_view queryText, int sortChoice, const std::string* refineText);

// Splits a working text into terms (quotes, separators and operator characters as in the
// language); a term standing in an unclosed quote is dropped with all text after it.
std::vector<std::string> MakeSearchTermList(std::string_view workingText);

// Classifies one term; nothing for a term that is ignored (a plain first character followed by
// a quote character).
std::optional<QueryTerm> ClassifyTerm(std::string_view term);

bool IsQuoteChar(char c);
bool IsSeparatorChar(char c);
bool IsOperatorChar(char c);

}  // namespace jb::search
