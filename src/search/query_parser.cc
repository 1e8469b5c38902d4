#include "search/query_parser.h"

namespace jb::search {

namespace {

struct RelativeKeyword {
    std::string_view text;
    int offset;
    DateKind kind;
};

constexpr RelativeKeyword kRelativeKeywords[] = {
    {"reminder=today", 0, DateKind::kReminder},      {"reminder=tommorow", 1, DateKind::kReminder},
    {"modified=today", 0, DateKind::kModification},  {"modified=yesterday", -1, DateKind::kModification},
    {"date=today", 0, DateKind::kCreation},          {"date=yesterday", -1, DateKind::kCreation},
};

struct CutKeyword {
    std::string_view text;
    std::size_t removed;
};

constexpr CutKeyword kComparisonCuts[] = {
    {"modified<=", 20}, {"modified>=", 20}, {"modified=", 19}, {"date<=", 17},    {"date>=", 17},
    {"date=", 16},      {"reminder=", 19},  {"reminder>=", 20}, {"reminder<=", 20},
};

struct SortKeyword {
    std::string_view text;
    int key;
};

constexpr SortKeyword kSortKeywords[] = {
    {"sort=page", 1}, {"sort=date", 2}, {"sort=modified", 3}, {"sort=reminder", 4}};

struct ConditionKeyword {
    std::string_view text;
    DateKind kind;
    DateComparison comparison;
    std::string_view skip1;  // relative keyword tails that make an "=" form stand aside
    std::string_view skip2;
};

constexpr ConditionKeyword kConditionKeywords[] = {
    {"date<=", DateKind::kCreation, DateComparison::kOnOrBefore, {}, {}},
    {"date>=", DateKind::kCreation, DateComparison::kOnOrAfter, {}, {}},
    {"date=", DateKind::kCreation, DateComparison::kSameDay, "today", "yesterday"},
    {"reminder<=", DateKind::kReminder, DateComparison::kOnOrBefore, {}, {}},
    {"reminder>=", DateKind::kReminder, DateComparison::kOnOrAfter, {}, {}},
    {"reminder=", DateKind::kReminder, DateComparison::kSameDay, "today", "tommorow"},
    {"modified<=", DateKind::kModification, DateComparison::kOnOrBefore, {}, {}},
    {"modified>=", DateKind::kModification, DateComparison::kOnOrAfter, {}, {}},
    {"modified=", DateKind::kModification, DateComparison::kSameDay, "today", "yesterday"},
};

void ReplaceRepeatedly(std::string& text, std::string_view pattern, std::string_view by) {
    for (auto pos = text.find(pattern); pos != std::string::npos; pos = text.find(pattern))
        text.replace(pos, pattern.size(), by);
}

bool FollowedBy(std::string_view text, std::size_t pos, std::string_view tail) {
    return !tail.empty() && text.substr(pos, tail.size()) == tail;
}

}  // namespace

bool IsQuoteChar(char c) { return c == '"' || c == '\'' || c == '`'; }
bool IsSeparatorChar(char c) { return c == '\0' || c == ' ' || c == '!' || c == '+' || c == '-' || c == '=' || c == '?'; }
bool IsOperatorChar(char c) { return c == '!' || c == '&' || c == '+' || c == '-' || c == '?'; }

std::vector<std::string> MakeSearchTermList(std::string_view workingText) {
    std::string text(workingText);
    text += ' ';
    std::vector<std::string> terms;
    std::string term;
    bool inQuote = false;
    auto emit = [&] {
        if (!term.empty()) terms.push_back(term);
        term.clear();
    };
    for (std::size_t i = 0; i < text.size(); ++i) {
        char c = text[i];
        if (IsQuoteChar(c)) {
            term += c;
            if (inQuote) {
                emit();
                inQuote = false;
            } else {
                char next = i + 1 < text.size() ? text[i + 1] : '\0';
                if (next != 's' && next != 'S') inQuote = true;
            }
        } else if (inQuote) {
            term += c;
        } else if (IsSeparatorChar(c)) {
            emit();
            if (IsOperatorChar(c)) term += c;
        } else {
            term += c;
        }
    }
    // Outside a quote the final space has emitted the last term; inside one it is dropped.
    return terms;
}

std::optional<QueryTerm> ClassifyTerm(std::string_view term) {
    if (term.empty()) return std::nullopt;
    char c1 = term[0];
    bool c2Quote = term.size() > 1 && IsQuoteChar(term[1]);
    QueryTerm t;
    if (IsOperatorChar(c1) && c2Quote) {
        t = {c1, TermKind::kPhrase, std::string(term.substr(1))};
    } else if (IsQuoteChar(c1)) {
        t = {'?', TermKind::kPhrase, std::string(term)};
    } else if (IsOperatorChar(c1)) {
        t = {c1, TermKind::kWord, std::string(term.substr(1))};
    } else if (!c2Quote) {
        t = {'?', TermKind::kWord, std::string(term)};
    } else {
        return std::nullopt;
    }
    if (t.kind == TermKind::kWord && t.text.find('*') != std::string::npos) t.kind = TermKind::kPrefix;
    return t;
}

ParsedQuery ParseQuery(std::string_view queryText, int sortChoice, const std::string* refineText) {
    ParsedQuery q;
    q.sortKey = sortChoice + 1;
    if (queryText.empty()) {
        q.emptyText = true;
        return q;
    }
    std::string w(queryText.substr(0, kWorkingTextLimit));
    for (char& c : w)
        if (c >= 'A' && c <= 'Z') c = static_cast<char>(c + 32);

    ReplaceRepeatedly(w, " and not ", " -");
    ReplaceRepeatedly(w, " and ", " +");
    ReplaceRepeatedly(w, " or ", " ?");

    for (const RelativeKeyword& k : kRelativeKeywords) {
        auto pos = w.find(k.text);
        if (pos == std::string::npos) continue;
        q.relative.push_back({k.offset, k.kind});
        w.erase(pos, k.text.size());
    }
    for (const CutKeyword& k : kComparisonCuts) {
        auto pos = w.find(k.text);
        if (pos != std::string::npos) w.erase(pos, k.removed);
    }
    for (const SortKeyword& k : kSortKeywords) {
        auto pos = w.find(k.text);
        if (pos == std::string::npos) continue;
        q.sortKey = k.key;
        w.erase(pos, k.text.size());
    }
    const bool emptyAfterCuts = w.empty();
    if (refineText) {
        w = *refineText + "+" + w;
        if (w.size() > kWorkingTextLimit) w.resize(kWorkingTextLimit);
    }
    q.workingText = w;
    if (!emptyAfterCuts) q.splitTerms = MakeSearchTermList(w);
    for (const std::string& term : q.splitTerms)
        if (auto t = ClassifyTerm(term)) q.terms.push_back(*t);

    for (const ConditionKeyword& k : kConditionKeywords) {
        auto pos = queryText.find(k.text);
        if (pos == std::string_view::npos) continue;
        std::size_t after = pos + k.text.size();
        if (FollowedBy(queryText, after, k.skip1) || FollowedBy(queryText, after, k.skip2)) continue;
        q.conditions.push_back({k.comparison, k.kind, std::string(queryText.substr(after, 10))});
    }
    return q;
}

}  // namespace jb::search
