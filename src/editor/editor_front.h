#pragma once
// The editor front in one piece for the main window: the formatting toolbar, the ruler binding,
// the caret position panel, find on this page and link clicks, all acting on one editor. Each
// part is usable alone; this class builds them and follows the editor's selection.

#include <QObject>
#include <QString>

#include "editor/caret_status.h"
#include "editor/find_on_page.h"
#include "editor/formatting_bar.h"
#include "editor/link_overlay.h"
#include "editor/ruler.h"

class QTextEdit;
class QToolBar;

namespace jb::editor {

// The editor's settings for a page editor: a vertical scroll bar always shown, Tab typed into
// the text, English (United Kingdom).
void SetUpPageEditor(QTextEdit& editor);

// The ruler above the editor in one widget for the window's central area. `ruler` and `editor`
// become children of the returned widget.
QWidget* EditorWithRuler(Ruler* ruler, QTextEdit* editor, QWidget* parent = nullptr);

class EditorFront : public QObject {
    Q_OBJECT
  public:
    // `editor`, `formattingBar` and `ruler` are not owned (ruler may be null: no ruler).
    // `window` parents the find dialog. `positionPanel` receives the caret position text.
    EditorFront(QTextEdit* editor, QToolBar* formattingBar, Ruler* ruler, QWidget* window,
                CaretStatus::PanelSink positionPanel);

    // Selection or caret moved: the toolbar and ruler follow the selection, then
    // UpdateCursorPos. Runs on the editor's selectionChanged and cursorPositionChanged.
    void EditBoxSelectionChange();

    FormattingBar& Formatting() { return *formatting_; }
    CaretStatus& Caret() { return *caret_; }
    PageFinder& Finder() { return *finder_; }
    LinkClicks& Links() { return *links_; }
    RulerLink* RulerBinding() { return rulerLink_; }

  signals:
    void LinkClicked(const QString& link);
    void ConversionError(const QString& message);

  private:
    QTextEdit* editor_;
    FormattingBar* formatting_;
    RulerLink* rulerLink_ = nullptr;
    CaretStatus* caret_;
    PageFinder* finder_;
    LinkClicks* links_;
};

}  // namespace jb::editor
