#pragma once
// Small editing commands the window calls from its menus and toolbars.

#include <QColor>
#include <QFont>
#include <QString>
#include <initializer_list>
#include <optional>

class QAction;
class QObject;
class QTextDocument;
class QTextEdit;
class QWidget;

namespace jb::editor {

// "Select All": the whole text becomes the selection.
void SelectAll(QTextEdit& editor);

// The font dialog's choice: the selection (or the typing format when nothing is selected) takes
// its family, size, bold, italic, underline and strike-out, and `colour` when one is given.
void ApplyChosenFont(QTextEdit& editor, const QFont& font,
                     const std::optional<QColor>& colour = std::nullopt);

// The read-only attribute: the editor's state and the menu item's check mark follow `ticked`.
// (The caller marks the page modified.)
void SetReadOnlyAttribute(QTextEdit& editor, QAction* menuItem, bool ticked);

// Undo and redo controls (widgets or actions) are enabled only while the page is modified.
void EnableWhileModified(std::initializer_list<QObject*> controls, bool modified);

// A View menu item: inverts the visibility of `target` and checks the item when it is shown.
// Returns the new visibility.
bool ToggleView(QWidget& target, QAction* item);

// The word around `position` by the editor's word breaks: from the word start at or before it
// to the next word start after it, so the word with the white space (or paragraph end) that
// follows it. `text` is the plain text ("\n" between paragraphs).
struct WordAt {
    int start = 0;
    int length = 0;
    QString text;
    bool operator==(const WordAt&) const = default;
};
WordAt GetWordAtPos(const QTextDocument& doc, int position);

}  // namespace jb::editor
