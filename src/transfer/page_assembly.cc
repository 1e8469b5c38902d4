#include "transfer/page_assembly.h"

#include <QFont>
#include <QTextBlockFormat>
#include <QTextCharFormat>
#include <QTextCursor>

#include "editor/rtf_bridge.h"
#include "protect/decipher.h"
#include "protect/page_key.h"
#include "search/query_files.h"
#include "store/io_error.h"
#include "store/page_id_table.h"

namespace jb::transfer {

PageAssembly::PageAssembly() {
    r1_.setUndoRedoEnabled(false);
    r1_.setObjectName("r1");
    // Separator lines, and page text that names no font, read the same wherever the document is
    // made (the window, or the command line on the offscreen platform).
    r1_.setDefaultFont(QFont(QString::fromLatin1(kDefaultFontName), kDefaultFontPoints));
}

void PageAssembly::Clear() { r1_.clear(); }

bool PageAssembly::IsEmpty() const { return r1_.blockCount() == 1 && r1_.isEmpty(); }

void PageAssembly::AppendLine(const QString& text) {
    QTextCursor cursor(&r1_);
    cursor.movePosition(QTextCursor::End);
    // A separator never takes the look of the page text before it.
    if (IsEmpty()) {
        cursor.setBlockFormat(QTextBlockFormat());
        cursor.setBlockCharFormat(QTextCharFormat());
    } else {
        cursor.insertBlock(QTextBlockFormat(), QTextCharFormat());
    }
    cursor.insertText(text, QTextCharFormat());
}

void PageAssembly::PrependLine(const QString& text) {
    QTextCursor cursor(&r1_);
    cursor.movePosition(QTextCursor::Start);
    const bool wasEmpty = IsEmpty();
    cursor.insertText(text, QTextCharFormat());
    if (!wasEmpty) cursor.insertBlock(QTextBlockFormat(), QTextCharFormat());
}

void PageAssembly::AppendPage(std::string_view body) { editor::AppendRtf(r1_, body, !IsEmpty()); }

QString PageAssembly::SeparatorLine(int n) { return QString("---Record Number %1 begins---").arg(n); }

bool PageAssembly::ReadPageText(PageStore& store, const std::string& dataSet, int n, const AssemblyOptions& options,
                                std::string& text) {
    PageInfo info;
    if (unsigned status = store.ReadPageBody(dataSet, n, info, text); status != kStatusOk)
        throw IoError(dataSet, "Page " + std::to_string(n) + " cannot be read (status " + std::to_string(status) + ")");
    if (!info.password.empty()) {
        if (!options.unlock || !options.unlock(n, info.password)) return false;
        text = Rc4Bytes(PageKey(info.password), text);
    }
    // The trailer byte that ends every stored body is not page text.
    if (!text.empty()) text.pop_back();
    return true;
}

void PageAssembly::AppendRange(PageStore& store, const std::string& dataSet, int from, int to,
                               const AssemblyOptions& options) {
    std::string text;
    for (int n = from; n <= to; ++n) {
        if (!ReadPageText(store, dataSet, n, options, text)) continue;
        if (options.progress) options.progress(to == from ? 0 : (n - from) * 100 / (to - from));
        if (options.marks) AppendLine(SeparatorLine(n));
        AppendPage(text);
        if (options.marks) AppendLine(QString());
    }
}

void PageAssembly::AppendQuery(PageStore& store, const std::string& dataSet, const std::vector<std::string>& lines,
                               const AssemblyOptions& options) {
    if (lines.empty()) throw IoError(dataSet, "The query holds no query text");
    AppendLine("Query: \"" + search::TextOfBytes(lines.front()) + "\"");
    AppendLine(QString());
    const std::vector<HeaderRecord> headers = store.ReadAllHeaders(dataSet);
    const PageIdTable pages(headers);
    const int count = static_cast<int>(lines.size());
    std::string text;
    for (int k = 1; k < count; ++k) {
        const int p = pages.Find(lines[k]);
        if (p < 0) continue;
        if (options.marks) AppendLine(SeparatorLine(p));
        if (!ReadPageText(store, dataSet, p, options, text)) continue;
        if (options.progress) options.progress(k * 100 / count);
        AppendPage(text);
        if (options.marks) AppendLine(QString());
        if (options.pendingEvents) options.pendingEvents();
    }
}

}  // namespace jb::transfer
