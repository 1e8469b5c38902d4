#include "editor/caret_status.h"

#include <QAction>
#include <QTextBlock>
#include <QTextCursor>
#include <QTextDocument>
#include <QTextEdit>
#include <QTextLayout>
#include <QWidget>

namespace jb::editor {
namespace {

int LinesOf(const QTextBlock& block) {
    const QTextLayout* layout = block.layout();
    const int n = layout != nullptr ? layout->lineCount() : 0;
    return n > 0 ? n : 1;
}

}  // namespace

LineColumn LineColumnAt(const QTextDocument& doc, int position) {
    const QTextBlock block = doc.findBlock(position);
    if (!block.isValid()) return {};
    int line = 0;
    for (QTextBlock b = doc.begin(); b.isValid() && b != block; b = b.next()) line += LinesOf(b);
    const int inBlock = position - block.position();
    int lineStart = 0;
    if (const QTextLayout* layout = block.layout(); layout != nullptr && layout->lineCount() > 0) {
        const QTextLine l = layout->lineForTextPosition(inBlock);
        if (l.isValid()) {
            line += l.lineNumber();
            lineStart = l.textStart();
        }
    }
    return LineColumn{line, inBlock - lineStart};
}

QString CaretPositionText(const LineColumn& at) {
    return QString::asprintf("Ln: %3d  Col: %3d", at.line + 1, at.column + 1);
}

CaretStatus::CaretStatus(QTextEdit* editor, PanelSink panel, QObject* parent)
    : QObject(parent), editor_(editor), panel_(std::move(panel)) {}

void CaretStatus::UpdateCursorPos() {
    const QTextCursor c = editor_->textCursor();
    text_ = CaretPositionText(LineColumnAt(*editor_->document(), c.selectionStart()));
    if (panel_) panel_(text_);
    const bool selected = c.hasSelection();
    for (QObject* o : controls_) {
        if (auto* w = qobject_cast<QWidget*>(o)) w->setEnabled(selected);
        if (auto* a = qobject_cast<QAction*>(o)) a->setEnabled(selected);
    }
}

}  // namespace jb::editor
