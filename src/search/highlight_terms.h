#pragma once
// The terms a query selects in the page text, and where the next one is found. The terms come
// from the query text: "'s" is dropped, the text is split at NUL, space, "!", "+", ",", "-" and
// "?" (quotes keep their contents together; any quote character opens one), and quote and
// operator characters are removed from each term; "*" goes too (only the first one when the
// query has a single term). Positions are positions in the editor's plain text.

#include <QString>
#include <QStringList>
#include <optional>

namespace jb::search {

// The terms of a query text, in text order. Terms that come out empty are left out; `single`
// (optional) tells whether the split gave exactly one term, which decides the arithmetic below.
QStringList HighlightTerms(const QString& queryText, bool* single = nullptr);

struct HighlightHit {
    int position = 0;  // where the selection starts
    int length = 0;    // how long it is
    int next = 0;      // where the following search starts
    bool operator==(const HighlightHit&) const = default;
};

// Forward from `from`: the earliest occurrence of any term (letter case ignored); at equal
// positions the last term in order gives the length. The next search starts at position +
// length + 3 for a single term, + 1 for several.
std::optional<HighlightHit> HighlightForward(const QString& text, const QStringList& terms, bool single, int from);

// Backward from `from` (the end when beyond it): the latest occurrence starting at or before it; at equal positions the
// last term in order gives the length. The next search starts at position - length - 1 for a
// single term, position - 1 for several.
std::optional<HighlightHit> HighlightBackward(const QString& text, const QStringList& terms, bool single, int from);

}  // namespace jb::search
