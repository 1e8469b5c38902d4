#pragma once
// The assembly document r1: a hidden rich-text document, without undo, into which export and
// print gather pages one after another, each optionally framed by separator lines. Pages are
// read from the store one at a time and dropped once inserted, so memory follows the document,
// not the number of pages read.

#include <QString>
#include <QTextDocument>
#include <functional>
#include <string>
#include <string_view>
#include <vector>

#include "store/page_store.h"

namespace jb::transfer {

// What the gathering of a range or a query needs beyond the pages.
struct AssemblyOptions {
    // Separator lines around each page ([Database] MarkRecsExport).
    bool marks = true;
    // Asked for each protected page, with its number and stored password: true when the user
    // gave the password (the page is deciphered and included), false to leave it out.
    std::function<bool(int page, const std::string& password)> unlock;
    // The progress bar, 0..100.
    std::function<void(int percent)> progress;
    // Lets the window system process pending events between query pages.
    std::function<void()> pendingEvents;
};

// The font of text that names none, as in a new page of the default settings.
inline constexpr const char* kDefaultFontName = "Arial";
inline constexpr int kDefaultFontPoints = 10;

class PageAssembly {
public:
    PageAssembly();

    QTextDocument& Document() { return r1_; }
    const QTextDocument& Document() const { return r1_; }

    void Clear();
    // Appends a line of plain text in the default format, after what the document holds.
    void AppendLine(const QString& text);
    // Appends a page body (rich text, or plain Windows-1252 text) in paragraphs of its own.
    void AppendPage(std::string_view body);
    // Inserts a line of plain text before everything else.
    void PrependLine(const QString& text);

    // Pages from..to of the data set in ascending order; nothing when to < from. A page left
    // out by `unlock` leaves nothing behind, not even its separator.
    void AppendRange(PageStore& store, const std::string& dataSet, int from, int to, const AssemblyOptions& options);
    // A query (line 0 its text, lines 1.. page IDs in their first 8 characters): the heading
    // "Query: "TEXT"" and an empty line, then each page that still exists, in the query's
    // order; a protected page left out by `unlock` keeps its separator line.
    void AppendQuery(PageStore& store, const std::string& dataSet, const std::vector<std::string>& lines,
                     const AssemblyOptions& options);

    // The separator line that opens page n.
    static QString SeparatorLine(int n);

private:
    bool IsEmpty() const;
    // The page's text as it reads: deciphered, without its trailer byte. False when the user
    // left it out.
    bool ReadPageText(PageStore& store, const std::string& dataSet, int n, const AssemblyOptions& options,
                      std::string& text);

    QTextDocument r1_;
};

}  // namespace jb::transfer
