#include "search/literal_search.h"

#include <cmath>
#include <set>
#include <vector>

#include "store/dataset_paths.h"

namespace jb::search::literal {

namespace {

using StringList = std::vector<std::string>;

// 1-based string helpers in the manner of the language the program was first written in.
int Pos(const std::string& sub, const std::string& s) {
    auto p = s.find(sub);
    return p == std::string::npos ? 0 : static_cast<int>(p) + 1;
}
void Delete(std::string& s, int index, int count) {
    if (index < 1 || index > static_cast<int>(s.size())) return;
    s.erase(static_cast<std::size_t>(index - 1), static_cast<std::size_t>(count));
}
void Insert(const std::string& what, std::string& s, int index) { s.insert(static_cast<std::size_t>(index - 1), what); }
std::string Copy(const std::string& s, int index, int count) {
    if (index < 1) index = 1;
    if (index > static_cast<int>(s.size())) return "";
    return s.substr(static_cast<std::size_t>(index - 1), static_cast<std::size_t>(std::max(count, 0)));
}
std::string LowerCase(std::string s) {
    for (char& c : s)
        if (c >= 'A' && c <= 'Z') c = static_cast<char>(c - 'A' + 'a');
    return s;
}
std::string UpperCase(std::string s) {
    for (char& c : s)
        if (c >= 'a' && c <= 'z') c = static_cast<char>(c - 'a' + 'A');
    return s;
}
bool IsQuote(char c) { return c == '"' || c == '\'' || c == '`'; }
bool IsSeparator(char c) { return c == 0 || c == ' ' || c == '!' || c == '+' || c == '-' || c == '=' || c == '?'; }
bool IsOperator(char c) { return c == '!' || c == '&' || c == '+' || c == '-' || c == '?'; }

struct Term {
    std::string text;
    char op;
    char kind;  // 'w' word, 'p' phrase
};

class SearchForm {
public:
    SearchForm(const SearchSettings& s, const std::string& ds, const WordIndex& index, PageStore& store)
        : s_(s), ds_(ds), store_(store) {
        index.ForEach([&](std::string_view line) { indexList_.emplace_back(line); });
    }

    SearchOutcome Button1Click(const std::string& searchTerm);

private:
    int ReadDate(int n, char kind, double& value) {
        if (kind == 'r') return static_cast<int>(store_.ReadReminderAt(ds_, n, value));
        if (kind == 'm') return static_cast<int>(store_.ReadModifiedAt(ds_, n, value));
        return static_cast<int>(store_.ReadCreatedAt(ds_, n, value));
    }

    void GetXDates(int offset, char kind) {
        std::string target = ShortDateText(s_.today + offset, s_.dateOrder);
        int count = store_.PageCount(ds_);
        for (int n = 0; n < count; ++n) {
            double value = 0;
            ReadDate(n, kind, value);
            if (ShortDateText(value, s_.dateOrder) == target) recList_.push_back(store_.PageIdAt(ds_, n));
        }
        out_.noHighlight = true;
    }

    // Returns false when the search must stop.
    bool GetDates(const std::string& dateText, char comparison, char kind) {
        if (dateText.size() != 10) {
            out_.messages.push_back(DateFormatMessage());
            return true;
        }
        out_.noHighlight = true;
        auto parsed = ParseShortDate(dateText, s_.dateOrder);
        if (!parsed) {
            out_.messages.push_back(InvalidDateMessage(dateText));
            return false;
        }
        CivilDate d = CivilFromDate(*parsed);
        std::set<std::string> dateList;
        int count = store_.PageCount(ds_);
        for (int n = 0; n < count; ++n) {
            double value = 0;
            ReadDate(n, kind, value);
            if (kind == 'r' && value < 1.0) continue;
            CivilDate p = CivilFromDate(value);
            auto pk = std::make_tuple(p.year, p.month, p.day);
            auto dk = std::make_tuple(d.year, d.month, d.day);
            bool keep = (comparison == 'g' && pk <= dk) || (comparison == 's' && pk >= dk) ||
                        (comparison == 'e' && pk == dk);
            if (keep) dateList.insert(store_.PageIdAt(ds_, n));
        }
        if (recList_.empty()) recList_.assign(dateList.begin(), dateList.end());
        StringList newList;
        for (const std::string& c : dateList)
            for (const std::string& r : recList_)
                if (r == c) newList.push_back(r);
        recList_ = newList;
        return true;
    }

    StringList MakeRecListForWord(std::string w) {
        StringList hitList;
        w = LowerCase(w);
        int p = Pos("*", w);
        if (p > 0) {
            Delete(w, p, 1);
            for (const std::string& entry : indexList_)
                if (EntryWordPrefix(entry, p) == w) hitList.push_back(Copy(entry, static_cast<int>(entry.size()) - 7, 8));
        } else {
            for (const std::string& entry : indexList_)
                if (EntryWord(entry) == w) hitList.push_back(Copy(entry, Pos("=", entry) + 1, 1 << 30));
        }
        return MakeWordRecList(hitList);
    }

    StringList MakeWordRecList(const StringList& hitList) {
        if (hitList.size() == 1) {
            if (store_.FindPageById(ds_, hitList[0]) == -2) return {};
            return hitList;
        }
        std::set<std::string> sorted(hitList.begin(), hitList.end());
        return StringList(sorted.begin(), sorted.end());
    }

    StringList MakeRecListForPhrase(const std::string& phraseText) {
        std::string phrase;
        for (char c : phraseText)
            if (!IsQuote(c)) phrase += c;
        phrase = UpperCase(phrase);
        StringList hitList;
        if (!store_.Files().Open(CompanionPath(ds_, ".hd"), OpenMode::kRead)) {
            out_.messages.push_back(HeaderMissingMessage());
            return hitList;
        }
        if (!store_.Files().Open(ds_, OpenMode::kRead)) {
            out_.messages.push_back(DataFileMissingMessage());
            return hitList;
        }
        // An empty phrase finds nothing, as an empty word finds nothing.
        if (phrase.empty()) return hitList;
        int count = store_.PageCount(ds_);
        for (int n = 0; n < count; ++n) {
            PageInfo info;
            std::string body;
            store_.ReadPageBody(ds_, n, info, body);
            std::string text = body.substr(0, body.find('\0'));
            if (UpperCase(text).find(phrase) != std::string::npos) hitList.push_back(store_.PageIdAt(ds_, n));
        }
        return hitList;
    }

    void AddToRecList(const StringList& hitList, char op) {
        if (recList_.empty()) {
            for (const std::string& h : hitList) recList_.push_back(h);
            return;
        }
        if (hitList.empty()) {
            if (op == '+') recList_.clear();
            return;
        }
        if (op == '-') {
            for (const std::string& h : hitList)
                for (std::size_t i = 0; i < recList_.size(); ++i)
                    if (recList_[i] == h) {
                        recList_.erase(recList_.begin() + static_cast<long>(i));
                        break;
                    }
        } else if (op == '+') {
            StringList newList;
            for (const std::string& h : hitList)
                for (const std::string& r : recList_)
                    if (r == h) newList.push_back(r);
            recList_ = newList;
        } else if (op == '?') {
            for (const std::string& h : hitList) recList_.push_back(h);
        }
    }

    static double SortValue(double v) { return std::isnan(v) ? 0.0 : v; }

    void SortRecList(int sortKey) {
        struct Row {
            std::string id;
            int page;
            double value;
        };
        std::vector<Row> rows;
        for (const std::string& id : recList_) {
            int page = store_.FindPageById(ds_, id);
            if (page < 0) continue;
            double value = 0;
            if (sortKey > 1 && ReadDate(page, sortKey == 2 ? 'c' : sortKey == 3 ? 'm' : 'r', value) != 0) continue;
            rows.push_back({id, page, SortValue(value)});
        }
        // Insertion sort: equal keys keep their order.
        auto before = [&](const Row& a, const Row& b) {
            if (sortKey == 1) return a.page < b.page;
            if (a.value != b.value) return a.value > b.value;
            return a.id > b.id;
        };
        for (std::size_t i = 1; i < rows.size(); ++i)
            for (std::size_t j = i; j > 0 && before(rows[j], rows[j - 1]); --j) std::swap(rows[j], rows[j - 1]);
        recList_.clear();
        for (const Row& row : rows) recList_.push_back(row.id);
    }

    std::vector<std::string> MakeSearchTermList(std::string s) {
        std::vector<std::string> list;
        s += ' ';
        std::string term;
        bool inQuote = false;
        for (std::size_t i = 1; i <= s.size(); ++i) {
            char c = s[i - 1];
            if (IsQuote(c) && inQuote) {
                term += c;
                if (!term.empty()) list.push_back(term);
                term = "";
                inQuote = false;
            } else if (IsQuote(c)) {
                term += c;
                char next = i < s.size() ? s[i] : ' ';
                if (next != 's' && next != 'S') inQuote = true;
            } else if (inQuote) {
                term += c;
            } else if (IsSeparator(c)) {
                if (!term.empty()) list.push_back(term);
                term = "";
                if (IsOperator(c)) term = std::string(1, c);
            } else {
                term += c;
            }
        }
        return list;
    }

    const SearchSettings& s_;
    const std::string& ds_;
    PageStore& store_;
    StringList indexList_;
    StringList recList_;
    SearchOutcome out_;
};

SearchOutcome SearchForm::Button1Click(const std::string& searchTerm) {
    int sortKey = s_.sortChoice + 1;
    std::string s;
    if (searchTerm.empty()) {
        out_.noHighlight = true;
    } else {
        s = LowerCase(Copy(searchTerm, 1, 255));
        while (Pos(" and not ", s) > 0) {
            int p = Pos(" and not ", s);
            Delete(s, p, 9);
            Insert(" -", s, p);
        }
        while (Pos(" and ", s) > 0) {
            int p = Pos(" and ", s);
            Delete(s, p, 5);
            Insert(" +", s, p);
        }
        while (Pos(" or ", s) > 0) {
            int p = Pos(" or ", s);
            Delete(s, p, 4);
            Insert(" ?", s, p);
        }
        const struct {
            const char* k;
            int offset;
            char kind;
        } relative[] = {{"reminder=today", 0, 'r'},    {"reminder=tommorow", 1, 'r'}, {"modified=today", 0, 'm'},
                        {"modified=yesterday", -1, 'm'}, {"date=today", 0, 'c'},        {"date=yesterday", -1, 'c'}};
        for (const auto& r : relative) {
            int p = Pos(r.k, s);
            if (p > 0) {
                GetXDates(r.offset, r.kind);
                Delete(s, p, static_cast<int>(std::string(r.k).size()));
            }
        }
        const struct {
            const char* k;
            int n;
        } cuts[] = {{"modified<=", 20}, {"modified>=", 20}, {"modified=", 19}, {"date<=", 17},    {"date>=", 17},
                    {"date=", 16},      {"reminder=", 19},  {"reminder>=", 20}, {"reminder<=", 20}};
        for (const auto& c : cuts) {
            int p = Pos(c.k, s);
            if (p > 0) Delete(s, p, c.n);
        }
        const struct {
            const char* k;
            int key;
        } sorts[] = {{"sort=page", 1}, {"sort=date", 2}, {"sort=modified", 3}, {"sort=reminder", 4}};
        for (const auto& so : sorts) {
            int p = Pos(so.k, s);
            if (p > 0) {
                sortKey = so.key;
                Delete(s, p, static_cast<int>(std::string(so.k).size()));
            }
        }
        bool wasEmpty = s.empty();
        if (s_.refine) s = Copy(*s_.refine + "+" + s, 1, 255);

        std::vector<std::string> termList;
        if (!wasEmpty) termList = MakeSearchTermList(s);
        for (const std::string& t : termList) {
            Term term{};
            char c1 = t[0];
            char c2 = t.size() > 1 ? t[1] : ' ';
            if (IsOperator(c1) && IsQuote(c2))
                term = {Copy(t, 2, 255), c1, 'p'};
            else if (IsQuote(c1))
                term = {t, '?', 'p'};
            else if (IsOperator(c1))
                term = {Copy(t, 2, 255), c1, 'w'};
            else if (!IsQuote(c2))
                term = {t, '?', 'w'};
            else
                continue;
            char op = termList.size() == 1 ? '?' : term.op;
            if (term.kind == 'p')
                AddToRecList(MakeRecListForPhrase(term.text), op);
            else
                AddToRecList(MakeRecListForWord(term.text), op);
        }

        const struct {
            const char* k;
            char comparison;
            char kind;
            const char* skip1;
            const char* skip2;
        } conditions[] = {{"date<=", 'g', 'c', nullptr, nullptr},
                          {"date>=", 's', 'c', nullptr, nullptr},
                          {"date=", 'e', 'c', "today", "yesterday"},
                          {"reminder<=", 'g', 'r', nullptr, nullptr},
                          {"reminder>=", 's', 'r', nullptr, nullptr},
                          {"reminder=", 'e', 'r', "today", "tommorow"},
                          {"modified<=", 'g', 'm', nullptr, nullptr},
                          {"modified>=", 's', 'm', nullptr, nullptr},
                          {"modified=", 'e', 'm', "today", "yesterday"}};
        for (const auto& c : conditions) {
            int p = Pos(c.k, searchTerm);
            if (p == 0) continue;
            int after = p + static_cast<int>(std::string(c.k).size());
            if (c.skip1 && Copy(searchTerm, after, static_cast<int>(std::string(c.skip1).size())) == c.skip1) continue;
            if (c.skip2 && Copy(searchTerm, after, static_cast<int>(std::string(c.skip2).size())) == c.skip2) continue;
            if (!GetDates(Copy(searchTerm, after, 10), c.comparison, c.kind)) {
                out_.stopped = true;
                return out_;
            }
        }
    }
    char kind = s_.dateKind == 0 ? 'r' : s_.dateKind == 1 ? 'c' : 'm';
    if (s_.after && !GetDates(ShortDateText(*s_.after, s_.dateOrder), 's', kind)) {
        out_.stopped = true;
        return out_;
    }
    if (s_.before && !GetDates(ShortDateText(*s_.before, s_.dateOrder), 'g', kind)) {
        out_.stopped = true;
        return out_;
    }
    out_.workingText = s;
    if (recList_.size() >= 2) SortRecList(sortKey);
    if (recList_.size() == 1 && store_.FindPageById(ds_, recList_[0]) < 0) recList_.clear();
    if (recList_.empty()) {
        if (s_.searchMessages) out_.messages.push_back(NoPagesMessage());
        return out_;
    }
    out_.found = true;
    out_.storedText = s + " ";
    out_.ids = recList_;
    return out_;
}

}  // namespace

SearchOutcome LiteralSearch(const std::string& queryText, const SearchSettings& settings, const std::string& dataSet,
                            const WordIndex& index, PageStore& store) {
    return SearchForm(settings, dataSet, index, store).Button1Click(queryText);
}

}  // namespace jb::search::literal
