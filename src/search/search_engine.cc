#include "search/search_engine.h"

#include <algorithm>
#include <array>
#include <bit>
#include <numeric>
#include <cmath>
#include <cstring>
#include <functional>
#include <iterator>
#include <optional>
#include <unordered_map>
#include <utility>

#include "search/phrase_scan.h"
#include "store/dataset_paths.h"
#include "store/header_cache.h"

namespace jb::search {

SearchMessage DateFormatMessage() {
    return {MessageKind::kDateFormat, "Jotterbase",
            "The date you have typed in is not in the correct format. The correct format for typing dates is "
            "dd/mm/yyyy or mm/dd/yyyy depending on your locale and system configuration.",
            false};
}
SearchMessage InvalidDateMessage(const std::string& dateText) {
    return {MessageKind::kInvalidDate, "Jotterbase", "'" + dateText + "' is not a valid date", true};
}
SearchMessage HeaderMissingMessage() {
    return {MessageKind::kHeaderMissing, "Jotterbase", "Error 5 has occurred; the header file is missing or already open.",
            true};
}
SearchMessage DataFileMissingMessage() {
    return {MessageKind::kDataFileMissing, "Jotterbase",
            "Error 5.1 has occurred; the data-file is missing or already open.", true};
}
SearchMessage NoPagesMessage() {
    return {MessageKind::kNoPages, "Jotterbase search", "No pages were found that match the query", false};
}

long long DayOf(double value) {
    if (!std::isfinite(value) || std::fabs(value) > 3.0e6) return 0;
    return static_cast<long long>(std::trunc(value));
}

namespace {

// IDs as views of the index's entries and of the header records, which both outlive the search:
// a word may find hundreds of thousands, and only the result's are made into strings.
using IdList = std::vector<std::string_view>;

double DateOfKind(const HeaderRecord& r, DateKind kind) {
    switch (kind) {
        case DateKind::kReminder: return r.reminder;
        case DateKind::kCreation: return r.created;
        case DateKind::kModification: return r.modified;
    }
    return 0;
}

// The first 8 bytes of an ID as one big-endian number, zero-padded: IDs in string order never
// have keys in the opposite order.
std::uint64_t KeyOfFirst8(std::string_view id) {
    std::uint64_t key = 0;
    for (std::size_t b = 0; b < 8; ++b) key = (key << 8) | (b < id.size() ? static_cast<unsigned char>(id[b]) : 0u);
    return key;
}

// Below this many IDs a plain sort beats the radix passes.
constexpr std::size_t kRadixMinimum = 512;

// An ID to be sorted: its KeyOfFirst8 and where it is.
struct IdItem {
    std::uint64_t key;
    std::uint32_t index;  // into the views being sorted
};

// The positions 0..n-1 of `keys` ordered by their values' lowest `bits` bits, equal ones keeping
// their order: radix passes of 11 bits.
std::vector<std::uint32_t> RadixOrder(const std::vector<std::uint64_t>& keys, int bits) {
    const std::size_t n = keys.size();
    constexpr int kDigit = 11;
    std::vector<std::uint32_t> at(n), other(n);  // positions, in the order so far
    std::iota(at.begin(), at.end(), 0u);
    std::vector<std::uint32_t> count(std::size_t{1} << kDigit);
    for (int shift = 0; shift < bits; shift += kDigit) {
        std::fill(count.begin(), count.end(), 0u);
        for (std::size_t i = 0; i < n; ++i) ++count[(keys[i] >> shift) & ((1u << kDigit) - 1)];
        std::uint32_t total = 0;
        for (std::uint32_t& c : count) total += std::exchange(c, total);
        for (std::uint32_t i : at) other[count[(keys[i] >> shift) & ((1u << kDigit) - 1)]++] = i;
        at.swap(other);
    }
    return at;
}

// Items ordered by key, then the items with equal keys (few) by their whole text. The keys are
// first packed without changing their order: each byte replaced by its rank among the values
// that byte takes in these keys, in as few bits as those need (IDs of hexadecimal digits take
// 4 bits a byte, 32 in all); the packed keys are then sorted in radix passes of 11 bits.
void SortByKeyRadix(std::vector<IdItem>& items, const IdList& found) {
    const std::size_t n = items.size();
    std::array<std::array<std::uint8_t, 256>, 8> present{};
    for (const IdItem& item : items)
        for (int b = 0; b < 8; ++b) present[static_cast<std::size_t>(b)][(item.key >> (8 * b)) & 0xFF] = 1;
    std::array<std::array<std::uint64_t, 256>, 8> packed{};  // per byte: its rank, shifted in place
    int bits = 0;
    for (int b = 0; b < 8; ++b) {  // from the least significant byte up
        std::uint64_t rank = 0;
        std::array<std::uint64_t, 256>& ranks = packed[static_cast<std::size_t>(b)];
        for (std::size_t v = 0; v < 256; ++v)
            if (present[static_cast<std::size_t>(b)][v]) ranks[v] = rank++;
        const int width = rank <= 1 ? 0 : std::bit_width(rank - 1);
        for (std::uint64_t& r : ranks) r <<= bits;
        bits += width;
    }
    std::vector<std::uint64_t> keys(n);
    for (std::size_t i = 0; i < n; ++i) {
        std::uint64_t k = 0;
        for (int b = 0; b < 8; ++b) k |= packed[static_cast<std::size_t>(b)][(items[i].key >> (8 * b)) & 0xFF];
        keys[i] = k;
    }
    const std::vector<std::uint32_t> at = RadixOrder(keys, bits);
    std::vector<IdItem> sorted(n);
    for (std::size_t i = 0; i < n; ++i) sorted[i] = items[at[i]];
    items.swap(sorted);
    for (std::size_t i = 0; i < n;) {
        std::size_t j = i + 1;
        while (j < n && items[j].key == items[i].key) ++j;
        if (j - i > 1)
            std::sort(items.begin() + static_cast<std::ptrdiff_t>(i), items.begin() + static_cast<std::ptrdiff_t>(j),
                      [&](const IdItem& a, const IdItem& b) { return found[a.index] < found[b.index]; });
        i = j;
    }
}

// a < b as strings (bytes unsigned). IDs are mostly 8 bytes, and those compare as one number.
// A type of its own, so that the algorithms given it compare inline.
struct IdOrder {
    bool operator()(std::string_view a, std::string_view b) const {
        if (a.size() >= 8 && b.size() >= 8) {
            std::uint64_t x = 0, y = 0;
            std::memcpy(&x, a.data(), 8);
            std::memcpy(&y, b.data(), 8);
            if constexpr (std::endian::native == std::endian::little) {
                x = __builtin_bswap64(x);
                y = __builtin_bswap64(y);
            }
            if (x != y) return x < y;
            return a.substr(8) < b.substr(8);
        }
        return a < b;
    }
};
constexpr IdOrder IdLess;

// Whether every ID is above the one before it.
bool StrictlyAscending(const IdList& ids) {
    return std::adjacent_find(ids.begin(), ids.end(), [](std::string_view a, std::string_view b) {
               return !IdLess(a, b);
           }) == ids.end();
}

}  // namespace

// The IDs sorted as strings, each once. The IDs of one word in an index file we wrote are in
// order already, and are only checked; with the entries added since (a few sorted runs after
// the file's), they are a few runs in order, which are merged. Others are sorted by their first
// 8 bytes as one big-endian number (zero-padded), which orders them as strings except among
// views with equal keys, and by their whole text among those. Many are sorted in radix passes,
// few by comparing.
std::vector<std::string_view> SortedUniqueIds(std::vector<std::string_view> found) {
    const std::size_t n = found.size();
    // Where each run of IDs above the one before starts.
    constexpr std::size_t kMostRunsMerged = 16;
    std::vector<std::size_t> runs{0};
    for (std::size_t i = 1; i < n && runs.size() <= kMostRunsMerged; ++i)
        if (!IdLess(found[i - 1], found[i])) runs.push_back(i);
    if (runs.size() == 1) return found;
    if (runs.size() <= kMostRunsMerged) {
        runs.push_back(n);
        const auto at = [&](std::size_t i) { return found.begin() + static_cast<std::ptrdiff_t>(i); };
        while (runs.size() > 2) {  // neighbouring runs merged in pairs, until one is left
            std::vector<std::size_t> merged{0};
            for (std::size_t r = 0; r + 1 < runs.size(); r += 2) {
                if (r + 2 < runs.size()) std::inplace_merge(at(runs[r]), at(runs[r + 1]), at(runs[r + 2]), IdLess);
                merged.push_back(runs[std::min(r + 2, runs.size() - 1)]);
            }
            runs.swap(merged);
        }
        found.erase(std::unique(found.begin(), found.end()), found.end());
        return found;
    }
    std::vector<IdItem> items;
    items.reserve(n);
    for (std::size_t i = 0; i < n; ++i) items.push_back({KeyOfFirst8(found[i]), static_cast<std::uint32_t>(i)});
    if (n < kRadixMinimum)
        std::sort(items.begin(), items.end(), [&](const IdItem& a, const IdItem& b) {
            return a.key != b.key ? a.key < b.key : found[a.index] < found[b.index];
        });
    else
        SortByKeyRadix(items, found);
    std::vector<std::string_view> ids;
    ids.reserve(n);
    for (std::size_t i = 0; i < n; ++i)
        if (i == 0 || items[i].key != items[i - 1].key || found[items[i].index] != found[items[i - 1].index])
            ids.push_back(found[items[i].index]);
    return ids;
}

namespace {

// IDs, and whether they are known to be each once and in order: a word's, and what AND leaves
// of them. Lists known to be so are merged without being looked through first.
struct Hits {
    IdList ids;
    bool ordered = false;
};

// Every element of R equal to some h, for each h of H in H's order.
void KeepInOrderOf(Hits& r, const Hits& h) {
    IdList kept;
    if ((r.ordered || StrictlyAscending(r.ids)) && (h.ordered || StrictlyAscending(h.ids))) {
        // Each ID once in each, both in order (the words of an AND): one merge of the two.
        std::set_intersection(h.ids.begin(), h.ids.end(), r.ids.begin(), r.ids.end(), std::back_inserter(kept), IdLess);
        r.ordered = true;
    } else {
        std::unordered_map<std::string_view, std::size_t> count;
        count.reserve(r.ids.size());
        for (std::string_view id : r.ids) ++count[id];
        for (std::string_view id : h.ids) {
            auto it = count.find(id);
            if (it != count.end()) kept.insert(kept.end(), it->second, id);
        }
        r.ordered = false;
    }
    r.ids.swap(kept);
}

// For each element of H that occurs in R, its first occurrence in R is removed.
void RemoveFirstOccurrences(IdList& r, const IdList& h) {
    std::unordered_map<std::string_view, std::size_t> remove;
    remove.reserve(h.size());
    for (std::string_view id : h) ++remove[id];
    IdList kept;
    kept.reserve(r.size());
    for (std::string_view id : r) {
        auto it = remove.find(id);
        if (it != remove.end() && it->second > 0) {
            --it->second;
            continue;
        }
        kept.push_back(id);
    }
    r.swap(kept);
}

void Combine(Hits& r, Hits&& h, char op) {
    if (r.ids.empty()) {
        r = std::move(h);
        return;
    }
    if (h.ids.empty()) {
        if (op == '+') r.ids.clear();
        return;
    }
    switch (op) {
        case '-': RemoveFirstOccurrences(r.ids, h.ids); break;  // what is left keeps its order
        case '+': KeepInOrderOf(r, h); break;
        case '?':
            r.ids.insert(r.ids.end(), h.ids.begin(), h.ids.end());
            r.ordered = false;
            break;
        default: break;  // '!' and '&' leave the result as it is
    }
}

class Search {
public:
    Search(const SearchSettings& settings, const std::string& dataSet, const WordIndex& index, PageStore& store)
        : s_(settings),
          dataSet_(dataSet),
          index_(index),
          store_(store),
          snapshot_(CurrentHeaders(store, dataSet)),
          headers_(snapshot_->Records()) {
        headerPath_ = CompanionPath(dataSet, ".hd");
    }

    SearchOutcome Run(const std::string& queryText);

private:
    // FindPageById: -1 without a header file, -2 when no page has the ID.
    int FindPage(std::string_view id) {
        if (!snapshot_->FileExists()) return -1;
        if (!idTable_) idTable_ = &snapshot_->IdTable();
        return idTable_->Find(id);
    }

    Hits WordHits(const QueryTerm& term);
    Hits PhraseHits(const QueryTerm& term);
    void AppendRelative(const RelativeDate& rel);
    bool DateFilter(const std::string& dateText, DateComparison comparison, DateKind kind);
    void SortResult(int sortKey);

    const SearchSettings& s_;
    const std::string& dataSet_;
    const WordIndex& index_;
    PageStore& store_;
    // The header records as the file holds them now, shared with later searches while it stays
    // unchanged.
    std::shared_ptr<const HeaderSnapshot> snapshot_;
    const std::vector<HeaderRecord>& headers_;
    const PageIdTable* idTable_ = nullptr;
    std::string headerPath_;
    Hits r_;
    SearchOutcome out_;
};

Hits Search::WordHits(const QueryTerm& term) {
    std::string word = term.text;
    for (char& c : word)
        if (c >= 'A' && c <= 'Z') c = static_cast<char>(c + 32);
    std::vector<std::string_view> found;
    if (term.kind == TermKind::kPrefix) {
        auto star = word.find('*');
        // Only a "*" at the end can match: the rest of the word must fit in the first
        // (position - 1) characters of an entry's word.
        if (star + 1 != word.size()) return {{}, true};
        word.erase(star, 1);
        index_.PrefixIds(word, found);
    } else {
        index_.WordIds(word, found);
    }
    if (found.size() == 1 && FindPage(found[0]) == -2) found.clear();
    return {SortedUniqueIds(std::move(found)), true};
}

Hits Search::PhraseHits(const QueryTerm& term) {
    std::string phrase;
    for (char c : term.text)
        if (!IsQuoteChar(c)) phrase += c;
    if (!store_.Files().Open(headerPath_, OpenMode::kRead)) {
        out_.messages.push_back(HeaderMissingMessage());
        return {};
    }
    auto data = store_.Files().Open(dataSet_, OpenMode::kRead);
    if (!data) {
        out_.messages.push_back(DataFileMissingMessage());
        return {};
    }
    // An empty phrase ("") is no text to find, as an empty word is: it finds no page. Every
    // page's text holds the empty string, deleted pages included.
    if (phrase.empty()) return {};
    Hits hits;  // in page order
    // Helper threads read the data file through files of their own, at the same time. Only the
    // plain file system's files are read at once: another's (a test's) take turns, as before.
    std::function<std::unique_ptr<File>()> openAnother;
    if (&store_.Files() == &FileSystem::Default())
        openAnother = [&] { return store_.Files().Open(dataSet_, OpenMode::kRead); };
    for (int n : ScanPhrase(*data, headers_, phrase, dataSet_, kPhraseBlockSize, 0, openAnother))
        hits.ids.push_back(headers_[n].IdView());
    return hits;
}

void Search::AppendRelative(const RelativeDate& rel) {
    const long long target = DayOf(s_.today + rel.offset);
    for (const HeaderRecord& h : headers_)
        if (DayOf(DateOfKind(h, rel.kind)) == target) r_.ids.push_back(h.IdView());
    out_.noHighlight = true;
}

bool Search::DateFilter(const std::string& dateText, DateComparison comparison, DateKind kind) {
    if (dateText.size() != 10) {
        out_.messages.push_back(DateFormatMessage());
        return true;
    }
    out_.noHighlight = true;
    std::optional<double> date = ParseShortDate(dateText, s_.dateOrder);
    if (!date) {
        out_.messages.push_back(InvalidDateMessage(dateText));
        return false;
    }
    const long long day = DayOf(*date);
    IdList candidates;
    candidates.reserve(headers_.size());
    for (const HeaderRecord& h : headers_) {
        double value = DateOfKind(h, kind);
        if (kind == DateKind::kReminder && value < 1.0) continue;
        long long d = DayOf(value);
        bool keep = comparison == DateComparison::kOnOrBefore ? d <= day
                    : comparison == DateComparison::kOnOrAfter ? d >= day
                                                                : d == day;
        if (keep) candidates.push_back(h.IdView());
    }
    Hits sorted{SortedUniqueIds(std::move(candidates)), true};
    // Kept in the result's order; an empty result takes the candidates (each once) as they are.
    if (r_.ids.empty())
        r_ = std::move(sorted);
    else
        KeepInOrderOf(r_, sorted);
    return true;
}

// A date as a sort key: latest first; a value that is not a number sorts as 0.
double SortValue(double v) { return std::isnan(v) ? 0.0 : v; }

void Search::SortResult(int sortKey) {
    // The positions in R of the IDs that name a page, ordered; then the IDs are moved once.
    const std::size_t n = r_.ids.size();
    std::vector<int> page(n);
    std::vector<std::uint32_t> kept;
    kept.reserve(n);
    constexpr std::size_t kAhead = 16;  // lookups whose slots are on their way from memory
    if (snapshot_->FileExists())
        for (std::size_t i = 0; i < std::min(n, kAhead); ++i) snapshot_->IdTable().Prefetch(r_.ids[i]);
    for (std::size_t i = 0; i < n; ++i) {
        if (i + kAhead < n && snapshot_->FileExists()) snapshot_->IdTable().Prefetch(r_.ids[i + kAhead]);
        if ((page[i] = FindPage(r_.ids[i])) >= 0) kept.push_back(static_cast<std::uint32_t>(i));
    }
    std::vector<std::uint32_t> order(kept.size());
    if (sortKey == 1 && kept.size() * 16 < headers_.size()) {
        // By page number, equal pages keeping their order; few results among many pages: radix
        // passes over the page numbers.
        std::vector<std::uint64_t> pages;
        pages.reserve(kept.size());
        for (std::uint32_t i : kept) pages.push_back(static_cast<std::uint64_t>(page[i]));
        const std::vector<std::uint32_t> byPage = RadixOrder(pages, std::bit_width(headers_.size()));
        for (std::size_t k = 0; k < byPage.size(); ++k) order[k] = kept[byPage[k]];
    } else if (sortKey == 1) {
        // By page number, equal pages keeping their order: a counting sort over the pages.
        std::vector<std::uint32_t> start(headers_.size() + 1, 0);
        for (std::uint32_t i : kept) ++start[static_cast<std::size_t>(page[i]) + 1];
        for (std::size_t p = 1; p < start.size(); ++p) start[p] += start[p - 1];
        for (std::uint32_t i : kept) order[start[static_cast<std::size_t>(page[i])]++] = i;
    } else {
        // Latest first, then greatest ID first. Each item carries its date and the first 8 bytes
        // of its ID as a number, so that the sort reads the IDs' text only when those are equal.
        struct Item {
            double value;
            std::uint64_t idKey;
            std::uint32_t at;
        };
        std::vector<Item> items;
        items.reserve(kept.size());
        for (std::uint32_t i : kept) {
            const HeaderRecord& h = headers_[static_cast<std::size_t>(page[i])];
            const double value = sortKey == 2 ? h.created : sortKey == 3 ? h.modified : sortKey == 4 ? h.reminder : 0.0;
            items.push_back({SortValue(value), KeyOfFirst8(r_.ids[i]), i});
        }
        std::sort(items.begin(), items.end(), [&](const Item& a, const Item& b) {
            if (a.value != b.value) return a.value > b.value;
            if (a.idKey != b.idKey) return a.idKey > b.idKey;
            return r_.ids[a.at] > r_.ids[b.at];
        });
        for (std::size_t k = 0; k < items.size(); ++k) order[k] = items[k].at;
    }
    IdList sorted;
    sorted.reserve(order.size());
    for (std::uint32_t i : order) sorted.push_back(r_.ids[i]);
    r_.ids.swap(sorted);
    r_.ordered = false;
}

SearchOutcome Search::Run(const std::string& queryText) {
    ParsedQuery q = ParseQuery(queryText, s_.sortChoice, s_.refine ? &*s_.refine : nullptr);
    if (q.emptyText) {
        out_.noHighlight = true;
    } else {
        for (const RelativeDate& rel : q.relative) AppendRelative(rel);
        for (const QueryTerm& term : q.terms)
            Combine(r_, term.kind == TermKind::kPhrase ? PhraseHits(term) : WordHits(term), q.CombineOp(term));
        for (const DateCondition& c : q.conditions)
            if (!DateFilter(c.dateText, c.comparison, c.kind)) {
                out_.stopped = true;
                return std::move(out_);
            }
    }
    const DateKind filterKind = s_.dateKind == 1 ? DateKind::kCreation
                                : s_.dateKind == 2 ? DateKind::kModification
                                                   : DateKind::kReminder;
    const std::pair<const std::optional<double>*, DateComparison> pickers[] = {
        {&s_.after, DateComparison::kOnOrAfter}, {&s_.before, DateComparison::kOnOrBefore}};
    for (const auto& [picked, comparison] : pickers) {
        if (!*picked) continue;
        if (!DateFilter(ShortDateText(**picked, s_.dateOrder), comparison, filterKind)) {
            out_.stopped = true;
            return std::move(out_);
        }
    }
    out_.workingText = q.workingText;
    if (r_.ids.size() >= 2) SortResult(q.sortKey);
    // A result left with one ID that names no page counts as empty, as does one that sorting
    // emptied.
    if (r_.ids.size() == 1 && FindPage(r_.ids[0]) < 0) r_.ids.clear();
    if (r_.ids.empty()) {
        if (s_.searchMessages) out_.messages.push_back(NoPagesMessage());
        return std::move(out_);
    }
    out_.found = true;
    out_.storedText = q.StoredText();
    out_.ids.assign(r_.ids.begin(), r_.ids.end());
    return std::move(out_);
}

}  // namespace

SearchOutcome RunSearch(const std::string& queryText, const SearchSettings& settings, const std::string& dataSet,
                        const WordIndex& index, PageStore& store) {
    return Search(settings, dataSet, index, store).Run(queryText);
}

}  // namespace jb::search
