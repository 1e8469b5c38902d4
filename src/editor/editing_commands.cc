#include "editor/editing_commands.h"

#include <QAction>
#include <QTextBlock>
#include <QTextCursor>
#include <QTextDocument>
#include <QTextEdit>
#include <QWidget>
#include <algorithm>

namespace jb::editor {

void SelectAll(QTextEdit& editor) { editor.selectAll(); }

void ApplyChosenFont(QTextEdit& editor, const QFont& font, const std::optional<QColor>& colour) {
    QTextCharFormat f;
    f.setFontFamilies(QStringList{font.family()});
    if (font.pointSizeF() > 0) f.setFontPointSize(font.pointSizeF());
    f.setFontWeight(font.bold() ? QFont::Bold : QFont::Normal);
    f.setFontItalic(font.italic());
    f.setUnderlineStyle(font.underline() ? QTextCharFormat::SingleUnderline
                                         : QTextCharFormat::NoUnderline);
    f.setFontStrikeOut(font.strikeOut());
    if (colour) f.setForeground(*colour);
    editor.mergeCurrentCharFormat(f);
}

void SetReadOnlyAttribute(QTextEdit& editor, QAction* menuItem, bool ticked) {
    editor.setReadOnly(ticked);
    if (menuItem != nullptr) menuItem->setChecked(ticked);
}

void EnableWhileModified(std::initializer_list<QObject*> controls, bool modified) {
    for (QObject* o : controls) {
        if (auto* w = qobject_cast<QWidget*>(o)) w->setEnabled(modified);
        if (auto* a = qobject_cast<QAction*>(o)) a->setEnabled(modified);
    }
}

bool ToggleView(QWidget& target, QAction* item) {
    const bool show = target.isHidden();
    target.setVisible(show);
    if (item != nullptr) item->setChecked(show);
    return show;
}

WordAt GetWordAtPos(const QTextDocument& doc, int position) {
    const int last = doc.characterCount() - 1;  // the position after the last character
    position = std::clamp(position, 0, std::max(0, last));
    QTextCursor c(const_cast<QTextDocument*>(&doc));
    c.setPosition(position);
    c.movePosition(QTextCursor::StartOfWord);
    const int start = std::min(c.position(), position);
    c.setPosition(position);
    c.movePosition(QTextCursor::NextWord);
    int end = c.position();
    // A paragraph end counts as white space after the word.
    const QTextBlock block = doc.findBlock(end);
    if (end > position && block.isValid() && end == block.position() + block.length() - 1 &&
        end < last)
        ++end;
    WordAt w;
    w.start = start;
    w.length = end - start;
    w.text = doc.toPlainText().mid(start, w.length);
    return w;
}

}  // namespace jb::editor
