#pragma once
// The search: a query text and the search dialog's settings in, the outcome out. It looks the
// terms up in the index list, scans page bodies for phrases, combines the partial results from
// left to right, applies the date keywords and the dialog's date filters, and sorts. It shows
// nothing itself: the messages come back in the order they arise, for the window (message boxes)
// or the CLI (standard error) to show their own way.
//
// It takes the header records once per search, from memory while the header file is unchanged
// since an earlier search read it (store/header_cache.h), and answers every page-ID lookup from
// a table made once per such read (the first page with an ID wins); phrases are found by
// streaming the data file.

#include <optional>
#include <string>
#include <vector>

#include "search/query_parser.h"
#include "store/dates.h"
#include "store/page_store.h"
#include "store/word_index.h"

namespace jb::search {

// What the dialog (or a command line) gives the search besides the query text.
struct SearchSettings {
    int sortChoice = 0;  // the sort item: 0 page number, 1 creation, 2 modification, 3 reminder
    int dateKind = 0;    // the date filter kind: 0 reminder, 1 creation, 2 modification
    std::optional<double> after;   // ticked "After": pages on or after this day stay
    std::optional<double> before;  // ticked "Before": pages on or before this day stay
    // The stored text of the open query when the search refines it. Left empty when the user
    // asked to refine but no query is open: the search then runs without refinement.
    std::optional<std::string> refine;
    bool searchMessages = true;  // the no-result message is given only while this is set
    double today = 0;            // today's date (Clock::Today())
    DateOrder dateOrder = DateOrder::kDayFirst;
};

enum class MessageKind {
    kDateFormat,       // a date text that is not 10 characters; the filter is skipped
    kInvalidDate,      // a 10-character text that is no date; the search stops
    kHeaderMissing,    // phrase scan: the header file cannot be opened; the term is dropped
    kDataFileMissing,  // phrase scan: the data file cannot be opened; the term is dropped
    kNoPages,          // nothing found (only while searchMessages is set)
};

struct SearchMessage {
    MessageKind kind;
    std::string caption;
    std::string text;
    bool error = false;  // error icon; otherwise the information icon
    friend bool operator==(const SearchMessage&, const SearchMessage&) = default;
};

struct SearchOutcome {
    // True when the search found pages: `storedText` and `ids` make the new query (line 0 and
    // lines 1..N of QueryList). False when nothing was found or the search stopped; the open
    // query, if any, then stays as it was.
    bool found = false;
    bool stopped = false;          // an invalid date stopped the search
    std::string storedText;        // the working text plus one space
    std::vector<std::string> ids;  // page IDs in result order, duplicates kept
    std::string workingText;       // goes to the recent searches when not empty
    bool noHighlight = false;      // selected by date, or empty query text: no highlighting
    std::vector<SearchMessage> messages;  // in the order they arise

    // " N pages in query", for the status ticker.
    std::string StatusText() const { return " " + std::to_string(ids.size()) + " pages in query"; }
    friend bool operator==(const SearchOutcome&, const SearchOutcome&) = default;
};

// The message texts.
SearchMessage DateFormatMessage();
SearchMessage InvalidDateMessage(const std::string& dateText);
SearchMessage HeaderMissingMessage();
SearchMessage DataFileMissingMessage();
SearchMessage NoPagesMessage();

// Runs one search over a data set. Throws IoError when a file fails after it was opened or a
// header record points outside the data file.
SearchOutcome RunSearch(const std::string& queryText, const SearchSettings& settings, const std::string& dataSet,
                        const WordIndex& index, PageStore& store);

// The IDs sorted as strings (bytes compared as unsigned), each once: how the IDs a word finds
// are ordered.
std::vector<std::string_view> SortedUniqueIds(std::vector<std::string_view> found);

// The day a date-time falls on, as a whole number of days; dates too far out to name a day
// count as day 0 (30/12/1899), as the short date text shows them.
long long DayOf(double value);

}  // namespace jb::search
