#include "search/highlight_terms.h"

namespace jb::search {

namespace {

bool IsQuote(QChar c) { return c == '"' || c == '\'' || c == '`'; }
bool IsOperator(QChar c) { return c == '!' || c == '&' || c == '+' || c == '-' || c == '?'; }
bool IsSeparator(QChar c) {
    return c == QChar(0) || c == ' ' || c == '!' || c == '+' || c == ',' || c == '-' || c == '?';
}

QStringList SplitTerms(QString text) {
    text += ' ';
    text.remove("'s");
    QStringList terms;
    QString current;
    bool inQuote = false;
    auto flush = [&] {
        if (!current.isEmpty()) terms << current;
        current.clear();
    };
    for (QChar c : text) {
        if (IsQuote(c)) {
            current += c;
            if (inQuote) flush();
            inQuote = !inQuote;
        } else if (inQuote) {
            current += c;
        } else if (IsSeparator(c)) {
            flush();
            if (IsOperator(c)) current = c;
        } else {
            current += c;
        }
    }
    // A quote left open loses the term it stands in.
    return terms;
}

std::optional<int> Find(const QString& text, const QString& term, int from, bool down) {
    // Backwards, a start beyond the end searches from the end.
    if (!down && from > text.size()) from = static_cast<int>(text.size());
    if (from < 0 || from > text.size()) return std::nullopt;
    const qsizetype at =
        down ? text.indexOf(term, from, Qt::CaseInsensitive) : text.lastIndexOf(term, from, Qt::CaseInsensitive);
    if (at < 0) return std::nullopt;
    return static_cast<int>(at);
}

std::optional<HighlightHit> Search(const QString& text, const QStringList& terms, int from, bool down) {
    std::optional<HighlightHit> best;
    for (const QString& term : terms) {
        const std::optional<int> at = Find(text, term, from, down);
        if (!at) continue;
        const bool better = !best || (down ? *at <= best->position : *at >= best->position);
        if (better) best = HighlightHit{*at, static_cast<int>(term.size()), 0};
    }
    return best;
}

}  // namespace

QStringList HighlightTerms(const QString& queryText, bool* single) {
    QStringList split = SplitTerms(queryText);
    const bool one = split.size() == 1;
    if (single != nullptr) *single = one;
    QStringList terms;
    for (const QString& term : split) {
        QString stripped;
        for (QChar c : term)
            if (!IsQuote(c) && !IsOperator(c) && (one || c != '*')) stripped += c;
        if (one) {
            const qsizetype star = stripped.indexOf('*');
            if (star >= 0) stripped.remove(star, 1);
        }
        if (!stripped.isEmpty()) terms << stripped;
    }
    return terms;
}

std::optional<HighlightHit> HighlightForward(const QString& text, const QStringList& terms, bool single, int from) {
    std::optional<HighlightHit> hit = Search(text, terms, from, true);
    if (hit) hit->next = hit->position + hit->length + (single ? 3 : 1);
    return hit;
}

std::optional<HighlightHit> HighlightBackward(const QString& text, const QStringList& terms, bool single, int from) {
    std::optional<HighlightHit> hit = Search(text, terms, from, false);
    if (hit) hit->next = single ? hit->position - hit->length - 1 : hit->position - 1;
    return hit;
}

}  // namespace jb::search
