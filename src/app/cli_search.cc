// jotterbase-cli search "QUERY": runs a query as the search dialog would and prints the stored
// query text, then one line per result: page number, a tab, page ID. The index file is only
// read. Messages go to standard error; nothing found exits with 1, a search stopped by an
// invalid date with 2.

#include <cstdio>
#include <ostream>
#include <stdexcept>

#include "app/cli_command.h"
#include "search/search_engine.h"
#include "store/clock.h"
#include "store/page_id_table.h"
#include "store/page_store.h"
#include "store/word_index.h"

namespace jb::cli {

namespace {

int Choice(const Args& args, const std::string& option, const std::vector<std::string>& names, int fallback) {
    auto value = args.Value(option);
    if (!value) return fallback;
    for (std::size_t i = 0; i < names.size(); ++i)
        if (*value == names[i]) return static_cast<int>(i);
    throw std::invalid_argument("--" + option + " takes one of: " + [&] {
        std::string all;
        for (const std::string& n : names) all += (all.empty() ? "" : ", ") + n;
        return all;
    }());
}

std::optional<double> DateOption(const Args& args, const std::string& option, DateOrder order) {
    auto value = args.Value(option);
    if (!value) return std::nullopt;
    auto date = ParseShortDate(*value, order);
    if (!date)
        throw std::invalid_argument("--" + option + " '" + *value + "' is not a date in the short date format (" +
                                    (order == DateOrder::kDayFirst ? "dd/mm/yyyy" : "mm/dd/yyyy") + ")");
    return date;
}

}  // namespace

int RunSearch(const Args& args, std::ostream& out, std::ostream& err) {
    if (args.words.size() != 1) throw std::invalid_argument("give exactly one query text");
    const std::string dataSet = DataSetPath(args);
    const bool json = args.Has("json");

    search::SearchSettings settings;
    settings.dateOrder = LocaleDateOrder();
    settings.sortChoice = Choice(args, "sort", {"page", "creation", "modified", "reminder"}, 0);
    settings.dateKind = Choice(args, "date-kind", {"reminder", "creation", "modified"}, 0);
    settings.after = DateOption(args, "after", settings.dateOrder);
    settings.before = DateOption(args, "before", settings.dateOrder);
    if (auto refine = args.Value("refine")) settings.refine = *refine;
    settings.searchMessages = true;
    settings.today = Clock::System().Today();

    IndexList index;
    LoadIndex(index, dataSet);
    PageStore store;
    search::SearchOutcome outcome = search::RunSearch(args.words[0], settings, dataSet, index.Entries(), store);

    const PageIdTable pages(outcome.found ? store.ReadAllHeaders(dataSet) : std::vector<HeaderRecord>{});
    auto pageOf = [&](const std::string& id) { return pages.Find(id); };

    if (json) {
        out << "{\"found\":" << (outcome.found ? "true" : "false") << ",\"stopped\":"
            << (outcome.stopped ? "true" : "false") << ",\"query\":" << JsonString(outcome.storedText)
            << ",\"highlight\":" << (outcome.noHighlight ? "false" : "true") << ",\"pages\":[";
        for (std::size_t i = 0; i < outcome.ids.size(); ++i)
            out << (i ? "," : "") << "{\"number\":" << pageOf(outcome.ids[i]) << ",\"id\":" << JsonString(outcome.ids[i])
                << "}";
        out << "],\"messages\":[";
        for (std::size_t i = 0; i < outcome.messages.size(); ++i)
            out << (i ? "," : "") << "{\"caption\":" << JsonString(outcome.messages[i].caption)
                << ",\"text\":" << JsonString(outcome.messages[i].text)
                << ",\"error\":" << (outcome.messages[i].error ? "true" : "false") << "}";
        out << "]}\n";
    } else {
        for (const search::SearchMessage& m : outcome.messages) err << m.text << "\n";
        if (outcome.found) {
            out << outcome.storedText << "\n";
            for (const std::string& id : outcome.ids) out << pageOf(id) << "\t" << id << "\n";
        }
    }
    if (outcome.stopped) return 2;
    return outcome.found ? 0 : 1;
}

}  // namespace jb::cli
