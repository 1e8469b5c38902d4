#pragma once
// The caret's line and column for the first status panel, and the clipboard controls that are
// enabled exactly while text is selected.

#include <QObject>
#include <QString>
#include <functional>
#include <vector>

class QTextDocument;
class QTextEdit;

namespace jb::editor {

struct LineColumn {
    int line = 0;    // from 0: the display line (wrapped lines count) of the position
    int column = 0;  // from 0: the position minus the start of that line
    bool operator==(const LineColumn&) const = default;
};

// The display line and column of `position` in a laid-out document; a paragraph that has no
// layout yet counts as one line.
LineColumn LineColumnAt(const QTextDocument& doc, int position);
// "Ln: %3d  Col: %3d" with line + 1 and column + 1.
QString CaretPositionText(const LineColumn& at);

class CaretStatus : public QObject {
    Q_OBJECT
  public:
    using PanelSink = std::function<void(const QString&)>;

    // `editor` is not owned. `panel` receives the position text (may be empty).
    CaretStatus(QTextEdit* editor, PanelSink panel, QObject* parent = nullptr);

    // Widgets or actions enabled exactly while the editor has a selection ("Copy", "Cut" and
    // their menu items). Not owned; each must outlive this object or be removed first.
    void SetClipboardControls(std::vector<QObject*> controls) { controls_ = std::move(controls); }

    // Shows the position of the selection start and sets the clipboard controls.
    void UpdateCursorPos();
    QString Text() const { return text_; }

  private:
    QTextEdit* editor_;
    PanelSink panel_;
    std::vector<QObject*> controls_;
    QString text_;
};

}  // namespace jb::editor
