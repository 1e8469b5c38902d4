// libFuzzer target for the query language and the search. A small data set is written once (a
// few pages with words, dates around "today", a deleted page, a protected page, a page written
// twice, an index entry of a page that is gone); each input is then a query against it.
//
// Input: byte 0 holds the dialog's settings (bits 0-1 sort item, 2-3 date kind, 4 month-first
// dates, 5 refine, 6 "After" ticked, 7 "Before" ticked), byte 1 the After and Before days as
// offsets from today (low and high nibble, -8..7). The rest is the query text; when refining,
// its text up to the first line feed is the stored text of the open query and the rest the query.
//
// Laws every query must keep:
// - the parse stays within its limits (working text at most 255 bytes, a sort key 1..4, at most
//   one relative keyword of each kind and one condition of each keyword, dates of at most 10
//   bytes);
// - the search gives exactly the outcome of its literal twin;
// - every page ID found names a page of the data set, and none comes more often than the terms
//   and relative keywords that could each have added it once (a plain "a b" finds a page with
//   both words twice, by design, so a result may repeat);
// - pages are found exactly when the outcome says so, and then the stored text is the working
//   text and a space.

#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <iostream>
#include <string>
#include <string_view>
#include <unordered_map>

#include "search/literal_search.h"
#include "search/query_parser.h"
#include "search/search_engine.h"
#include "store/clock.h"
#include "store/index_builder.h"
#include "store/page_store.h"
#include "store/word_index.h"
#include "fuzz/fuzz_folder.h"

namespace {

using namespace jb;
using namespace jb::search;

constexpr double kToday = 46000;  // 09/12/2025

struct Fixture {
    std::string dataSet = fuzz::FuzzFolder() + "fuzz.jb";
    IndexList index;
    PageStore store;
    int pages = 0;

    Fixture() {
        struct Page {
            const char* id;
            const char* plain;
            int created, modified;  // days from today
            double reminder;        // days from today; 0 for none
            const char* password;
            bool deleted, readOnly;
        };
        static const Page kPages[] = {
            {"0000000A", "cat dog computer", 0, 0, 0, "", false, false},
            {"0000000B", "The company's Invoice for 2026 cat", -1, -1, 1.25, "", false, true},
            {"0000000C", "compass catalog zebra mat", -3, -2, -1, "", false, false},
            {"0000000D", "john's e-mail about the cat and the dog", 1, 0, 0.5, "Secret", false, false},
            {"0000000E", "don't forget the zebra", -6, -6, 0, "", true, false},
            {"0000000F", "computer company compass", 2, -1, 3, "", false, false},
            {"00000010", "mat cat mat dog", -2, 0, 0, "", false, false},
        };
        FixedClock clock(kToday);
        PageStore writer(FileSystem::Default(), clock);
        IndexBuilder builder(index, dataSet);
        for (const Page& p : kPages) {
            clock.Set(kToday + p.modified);
            const std::string rich = std::string("{\\rtf1\\ansi \\b ") + p.plain + "\\b0 \\par }";
            const double reminder = p.reminder == 0 ? 0 : kToday + p.reminder;
            writer.WritePage(dataSet, pages, p.password, p.deleted, p.readOnly, p.id, rich, reminder,
                             kToday + p.created);
            builder.AddPage(p.id, p.plain);
            ++pages;
        }
        // Page 2 written again, as an edit does: its first body stays behind in the data file.
        clock.Set(kToday);
        writer.WritePage(dataSet, 2, "", false, false, "0000000C", "{\\rtf1 compass catalog zebra mat tiger}",
                         kToday - 1, kToday - 3);
        builder.AddPage("0000000C", "tiger");
        builder.Finish();
        index.Entries().Add("cat=0BADF00D");  // the page of this entry is gone
        SaveIndex(index, dataSet);
        LoadIndex(index, dataSet);
    }
};

Fixture& TheFixture() {
    static Fixture* fixture = new Fixture;
    return *fixture;
}

[[noreturn]] void Fail(const std::string& what, std::string_view query) {
    std::cerr << "query_fuzz: " << what << " for query [" << query << "]\n";
    std::abort();
}

void CheckParse(const ParsedQuery& q, std::string_view query) {
    if (query.empty() != q.emptyText) Fail("emptyText wrong", query);
    if (q.workingText.size() > kWorkingTextLimit) Fail("working text over the limit", query);
    if (q.sortKey < 1 || q.sortKey > 4) Fail("sort key out of range", query);
    if (q.terms.size() > q.splitTerms.size()) Fail("more terms than split terms", query);
    if (q.relative.size() > 6) Fail("too many relative keywords", query);
    if (q.conditions.size() > 9) Fail("too many conditions", query);
    for (const DateCondition& c : q.conditions)
        if (c.dateText.size() > 10) Fail("condition date longer than 10 bytes", query);
    for (const std::string& t : q.splitTerms)
        if (t.empty()) Fail("empty split term", query);
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    if (size < 2) return 0;
    Fixture& f = TheFixture();
    const std::uint8_t flags = data[0], days = data[1];
    std::string_view rest(reinterpret_cast<const char*>(data + 2), size - 2);

    SearchSettings settings;
    settings.sortChoice = flags & 3;
    settings.dateKind = ((flags >> 2) & 3) % 3;
    settings.dateOrder = (flags & 0x10) ? DateOrder::kMonthFirst : DateOrder::kDayFirst;
    if (flags & 0x20) {
        const std::size_t cut = rest.find('\n');
        settings.refine = std::string(rest.substr(0, cut));
        rest = cut == std::string_view::npos ? std::string_view() : rest.substr(cut + 1);
    }
    if (flags & 0x40) settings.after = kToday + static_cast<int>(days & 0x0F) - 8;
    if (flags & 0x80) settings.before = kToday + static_cast<int>(days >> 4) - 8;
    settings.today = kToday;
    const std::string query(rest);

    const ParsedQuery q = ParseQuery(query, settings.sortChoice, settings.refine ? &*settings.refine : nullptr);
    CheckParse(q, query);

    const SearchOutcome fast = RunSearch(query, settings, f.dataSet, f.index.Entries(), f.store);
    const SearchOutcome twin = literal::LiteralSearch(query, settings, f.dataSet, f.index.Entries(), f.store);
    if (!(fast == twin)) Fail("search and literal twin differ", query);

    if (fast.found == fast.ids.empty()) Fail("found disagrees with the IDs", query);
    if (fast.found && fast.stopped) Fail("a stopped search found pages", query);
    if (fast.found && fast.storedText != q.workingText + " ") Fail("stored text is not the working text", query);
    const std::size_t sources = std::max<std::size_t>(1, q.relative.size() + q.terms.size());
    std::unordered_map<std::string, std::size_t> seen;
    for (const std::string& id : fast.ids) {
        const int n = f.store.FindPageById(f.dataSet, id);
        if (n < 0 || n >= f.pages) Fail("result " + id + " names no page", query);
        if (++seen[id] > sources) Fail("result " + id + " repeated more often than its sources", query);
    }
    return 0;
}
