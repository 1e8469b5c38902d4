#include "editor/editor_front.h"

#include <QLocale>
#include <QTextEdit>
#include <QVBoxLayout>

namespace jb::editor {

void SetUpPageEditor(QTextEdit& editor) {
    editor.setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOn);
    editor.setTabChangesFocus(false);
    editor.setLocale(QLocale(QLocale::English, QLocale::UnitedKingdom));
    editor.setAcceptRichText(true);
}

QWidget* EditorWithRuler(Ruler* ruler, QTextEdit* editor, QWidget* parent) {
    auto* area = new QWidget(parent);
    area->setObjectName("EditorArea");
    auto* layout = new QVBoxLayout(area);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->setSpacing(0);
    layout->addWidget(ruler);
    layout->addWidget(editor, 1);
    return area;
}

EditorFront::EditorFront(QTextEdit* editor, QToolBar* formattingBar, Ruler* ruler, QWidget* window,
                         CaretStatus::PanelSink positionPanel)
    : QObject(window),
      editor_(editor),
      formatting_(new FormattingBar(editor, formattingBar, this)),
      caret_(new CaretStatus(editor, std::move(positionPanel), this)),
      finder_(new PageFinder(editor, window)),
      links_(new LinkClicks(editor)) {
    if (ruler != nullptr) rulerLink_ = new RulerLink(editor, ruler, this);
    connect(editor_, &QTextEdit::selectionChanged, this, &EditorFront::EditBoxSelectionChange);
    connect(editor_, &QTextEdit::cursorPositionChanged, this, &EditorFront::EditBoxSelectionChange);
    connect(links_, &LinkClicks::LinkClicked, this, &EditorFront::LinkClicked);
    connect(formatting_, &FormattingBar::ConversionError, this, &EditorFront::ConversionError);
}

void EditorFront::EditBoxSelectionChange() {
    formatting_->SyncWithSelection();
    if (rulerLink_ != nullptr) rulerLink_->SyncWithSelection();
    caret_->UpdateCursorPos();
}

}  // namespace jb::editor
