#pragma once
// Find on this page: a modeless dialog with the find text, the direction and "Find Next", and
// the search it runs in the editor. The search ignores letter case; after a match at P it goes
// on from P + length + 1 (down) or P - length - 1 (up), so an occurrence that touches the
// previous match is skipped.

#include <QDialog>
#include <QString>
#include <optional>

class QLineEdit;
class QPushButton;
class QRadioButton;
class QTextEdit;

namespace jb::editor {

// The position of `what` in `text` searching from `from`: down, the first occurrence starting at
// or after it; up, the last occurrence starting at or before it. Case is ignored. Nothing for
// an empty `what` or a start outside the text.
std::optional<int> FindOnPage(const QString& text, const QString& what, int from, bool down);
// The find position after a match at `found` of a text `length` characters long.
int NextFindPosition(int found, int length, bool down);

// The dialog (objectName "FindDialog1"): FindText, the radio buttons FindUp and FindDown (down
// at first), FindNextButton and CloseButton.
class TFindForm : public QDialog {
    Q_OBJECT
  public:
    explicit TFindForm(QWidget* parent = nullptr);
    QLineEdit* FindText;
    QRadioButton* FindUp;
    QRadioButton* FindDown;
    QPushButton* FindNextButton;
    QPushButton* CloseButton;

  signals:
    void Find();
};

class PageFinder : public QObject {
    Q_OBJECT
  public:
    // `editor` is not owned; the dialog is a child of `dialogParent` (the window).
    PageFinder(QTextEdit* editor, QWidget* dialogParent);

    // Menu "Find on this page...": find position 0, empty find text, show the dialog.
    void Findinthisrecord1Click();
    // The dialog's find-next: select the next match and move the find position; nothing
    // changes and nothing is shown when there is none.
    void FindDialog1Find();

    int FindPosition() const { return findPosition_; }
    TFindForm* Dialog() const { return dialog_; }

  private:
    QTextEdit* editor_;
    TFindForm* dialog_;
    int findPosition_ = 0;
};

}  // namespace jb::editor
