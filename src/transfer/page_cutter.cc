#include "transfer/page_cutter.h"

#include <QFont>
#include <QTextBlock>
#include <QTextCursor>
#include <QTextLayout>
#include <algorithm>

#include "editor/rtf_bridge.h"
#include "richtext/richtext.h"
#include "richtext/rtf_writer.h"
#include "transfer/import_bounds.h"
#include "transfer/import_cut.h"
#include "transfer/page_assembly.h"

namespace jb::transfer {
namespace {

// How much text the window takes in at a time beyond what it still holds.
constexpr std::size_t kWindowCharacters = 64 * 1024;

int PercentOf(std::size_t done, std::size_t total) {
    return total == 0 ? 100 : static_cast<int>(done * 100 / total);
}

// Plain text: one paragraph a line, in the assembly document's font.
class PlainTextSource final : public ParagraphSource {
public:
    explicit PlainTextSource(std::string text) : text_(std::move(text)) {
        format_.font = kDefaultFontName;
        format_.halfPoints = kDefaultFontPoints * 2;
    }
    bool Next(richtext::Paragraph& paragraph) override {
        if (at_ >= text_.size()) return false;
        std::size_t end = text_.find('\n', at_);
        if (end == std::string::npos) end = text_.size();
        std::string_view line(text_.data() + at_, end - at_);
        if (line.ends_with('\r')) line.remove_suffix(1);
        paragraph = richtext::Paragraph{};
        if (!line.empty()) paragraph.runs.push_back(richtext::Run{format_, std::string(line), {}, {}});
        at_ = end + 1;
        return true;
    }
    int Percent() const override { return PercentOf(std::min(at_, text_.size()), text_.size()); }

private:
    std::string text_;
    std::size_t at_ = 0;
    richtext::CharFormat format_;
};

// A document read whole (rich text, HTML, Markdown), handed out paragraph by paragraph.
class DocumentSource final : public ParagraphSource {
public:
    explicit DocumentSource(richtext::Document doc) : doc_(std::move(doc)) {}
    bool Next(richtext::Paragraph& paragraph) override {
        if (at_ >= doc_.paragraphs.size()) return false;
        paragraph = std::move(doc_.paragraphs[at_++]);
        return true;
    }
    int Percent() const override { return PercentOf(at_, doc_.paragraphs.size()); }

private:
    richtext::Document doc_;
    std::size_t at_ = 0;
};

richtext::Document ReadWithQt(const std::string& bytes, FileKind kind) {
    QTextDocument doc;
    doc.setDefaultFont(QFont(QString::fromLatin1(kDefaultFontName), kDefaultFontPoints));
    // Markdown may hold HTML, which is bounded as an HTML file is.
    const std::string decoded = DecodePlainText(bytes);
    if (kind == FileKind::kHtml)
        doc.setHtml(QString::fromStdString(BoundHtmlNesting(decoded)));
    else
        doc.setMarkdown(QString::fromStdString(BoundHtmlNesting(BoundMarkdownNesting(decoded))));
    return editor::ToRichText(doc);
}

}  // namespace

std::unique_ptr<ParagraphSource> OpenImportSource(std::string bytes, FileKind kind, ImportContent* refused) {
    bytes = WithoutUtf16(std::move(bytes));
    if (const ImportContent content = CheckImportContent(bytes, kind == FileKind::kRichText);
        content != ImportContent::kText) {
        if (refused) *refused = content;
        return nullptr;
    }
    switch (kind) {
        case FileKind::kPlainText: return std::make_unique<PlainTextSource>(DecodePlainText(bytes));
        case FileKind::kRichText: return std::make_unique<DocumentSource>(richtext::ReadDocument(bytes));
        case FileKind::kHtml:
        case FileKind::kMarkdown: return std::make_unique<DocumentSource>(ReadWithQt(bytes, kind));
        default: return nullptr;
    }
}

PageCutter::PageCutter(ParagraphSource& source, bool dosRecords) : source_(source), dosRecords_(dosRecords) {
    window_.setUndoRedoEnabled(false);
    window_.setDocumentMargin(0);
    window_.setTextWidth(kImportLayoutWidth);
    window_.setDefaultFont(QFont(QString::fromLatin1(kDefaultFontName), kDefaultFontPoints));
}

void PageCutter::Refill() {
    if (next_ > 0 && next_ < lines_.size()) {
        QTextCursor used(&window_);
        used.setPosition(lines_[next_].start, QTextCursor::KeepAnchor);
        used.removeSelectedText();
    } else if (next_ > 0) {
        window_.clear();
    }
    const bool empty = next_ >= lines_.size();
    next_ = 0;
    richtext::Document batch;
    std::size_t characters = 0;
    // Whether the batch's first paragraph goes on with the window's last one: a long paragraph is
    // taken in piece by piece, so that the window never holds more than a bounded part of it and
    // each layout costs a bounded time, however long the paragraph.
    bool goesOnFromWindow = false;
    while (characters < kWindowCharacters) {
        const bool goesOn = !rest_.empty();
        if (!goesOn) {
            richtext::Paragraph whole;
            if (!source_.Next(whole)) {
                sourceDone_ = true;
                break;
            }
            rest_ = CutLongParagraph(std::move(whole));
            std::reverse(rest_.begin(), rest_.end());
        }
        richtext::Paragraph piece = std::move(rest_.back());
        rest_.pop_back();
        for (const richtext::Run& run : piece.runs) characters += run.text.size() + 1;
        characters += 1;
        if (goesOn && !batch.paragraphs.empty()) {
            std::vector<richtext::Run>& runs = batch.paragraphs.back().runs;
            runs.insert(runs.end(), std::make_move_iterator(piece.runs.begin()), std::make_move_iterator(piece.runs.end()));
        } else {
            goesOnFromWindow = goesOnFromWindow || goesOn;
            batch.paragraphs.push_back(std::move(piece));
        }
    }
    // What the window still holds ends inside a line; the file's next paragraph starts a new one.
    if (!batch.paragraphs.empty()) editor::AppendRichText(window_, batch, !empty && !goesOnFromWindow);
    LayOut();
}

void PageCutter::LayOut() {
    lines_.clear();
    if (window_.isEmpty() && window_.blockCount() == 1) return;
    window_.size();  // lays the whole window out
    for (QTextBlock block = window_.begin(); block.isValid(); block = block.next()) {
        const QTextLayout* layout = block.layout();
        const QString text = block.text();
        const int position = block.position();
        const int count = layout ? layout->lineCount() : 0;
        if (count == 0) {
            lines_.push_back({position, text.size() <= 2 ? text.toStdString() : std::string()});
            continue;
        }
        for (int i = 0; i < count; ++i) {
            const QTextLine line = layout->lineAt(i);
            // Only a line that could be a record's "~" needs its text.
            const bool shortLine = line.textLength() <= 2;
            lines_.push_back({position + line.textStart(),
                              shortLine ? text.mid(line.textStart(), line.textLength()).toStdString() : std::string()});
        }
    }
}

bool PageCutter::NextPiece(std::string& rtf) {
    while (!sourceDone_ && lines_.size() - next_ < static_cast<std::size_t>(kDosRecordLines)) Refill();
    if (next_ >= lines_.size()) return false;
    const std::size_t available = std::min(lines_.size() - next_, static_cast<std::size_t>(kDosRecordLines));
    std::vector<std::string_view> texts;
    for (std::size_t i = 0; i < available; ++i) texts.emplace_back(lines_[next_ + i].text);
    const auto taken = static_cast<std::size_t>(NextPieceLines(texts, dosRecords_));
    const int from = lines_[next_].start;
    const int to = next_ + taken < lines_.size() ? lines_[next_ + taken].start : window_.characterCount() - 1;
    richtext::Document piece = editor::ToRichText(window_, from, to);
    // The record's own "~" line stays a line of the page; its tilde, the delimiter, goes.
    if (dosRecords_ && texts[taken - 1] == "~" && !piece.paragraphs.empty()) {
        std::vector<richtext::Run>& runs = piece.paragraphs.back().runs;
        while (!runs.empty() && runs.back().text.empty()) runs.pop_back();
        if (!runs.empty() && runs.back().text.ends_with('~')) runs.back().text.pop_back();
        if (!runs.empty() && runs.back().text.empty() && !runs.back().image) runs.pop_back();
    }
    next_ += taken;
    rtf = richtext::WriteRtf(piece);
    return true;
}

StoredPage PageAsStored(std::string_view rtf) {
    QTextDocument doc;
    doc.setUndoRedoEnabled(false);
    doc.setDefaultFont(QFont(QString::fromLatin1(kDefaultFontName), kDefaultFontPoints));
    editor::LoadRtf(doc, rtf);
    return {editor::SaveRtf(doc), editor::EditorPlainText(doc).toStdString()};
}

}  // namespace jb::transfer
