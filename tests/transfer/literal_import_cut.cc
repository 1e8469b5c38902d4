#include "transfer/literal_import_cut.h"

#include <QFont>
#include <QTextBlock>
#include <QTextCursor>
#include <QTextDocument>
#include <QTextLayout>

#include "editor/rtf_bridge.h"

namespace jb::test {
namespace {

struct LaidOutLine {
    int start;
    QString text;
};

// Every line of the document as it lays out now.
std::vector<LaidOutLine> LinesOf(QTextDocument& doc) {
    doc.size();
    std::vector<LaidOutLine> lines;
    for (QTextBlock block = doc.begin(); block.isValid(); block = block.next()) {
        QTextLayout* layout = block.layout();
        for (int i = 0; i < layout->lineCount(); ++i) {
            const QTextLine line = layout->lineAt(i);
            lines.push_back({block.position() + line.textStart(), block.text().mid(line.textStart(), line.textLength())});
        }
    }
    return lines;
}

}  // namespace

std::vector<std::string> LiteralImportCut(const richtext::Document& file, bool dosRecords) {
    QTextDocument doc;
    doc.setUndoRedoEnabled(false);
    doc.setDocumentMargin(0);
    doc.setTextWidth(641);
    doc.setDefaultFont(QFont("Arial", 10));
    editor::AppendRichText(doc, file, false);
    std::vector<std::string> pages;
    while (!(doc.isEmpty() && doc.blockCount() == 1)) {
        const std::vector<LaidOutLine> lines = LinesOf(doc);
        const int end = doc.characterCount() - 1;
        int to = end;
        bool tilde = false;
        if (dosRecords) {
            int found = -1;
            for (int i = 0; i < 150 && i < static_cast<int>(lines.size()); ++i) {
                if (lines[static_cast<std::size_t>(i)].text == "~") {
                    found = i;
                    break;
                }
            }
            const int next = found >= 0 ? found + 1 : 151;
            tilde = found >= 0;
            if (next < static_cast<int>(lines.size())) to = lines[static_cast<std::size_t>(next)].start;
        } else if (lines.size() > 150) {
            to = lines[150].start;
        }
        std::string text = richtext::PlainText(editor::ToRichText(doc, 0, to));
        if (tilde && !text.empty() && text.back() == '~') text.pop_back();
        pages.push_back(text);
        QTextCursor selection(&doc);
        selection.setPosition(to, QTextCursor::KeepAnchor);
        selection.removeSelectedText();
    }
    return pages;
}

}  // namespace jb::test
