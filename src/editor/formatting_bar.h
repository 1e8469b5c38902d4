#pragma once
// The formatting toolbar of the page editor: font name, size and colour, bold, italic,
// underline and the four paragraph alignments. It fills a QToolBar the window owns and acts on
// the editor it is given; it follows the selection through SyncWithSelection.

#include <QObject>
#include <QTextCharFormat>

class QComboBox;
class QTextEdit;
class QToolBar;
class QToolButton;

namespace jb::editor {

// The sizes FontSize lists, in points.
inline constexpr int kFontSizes[] = {6, 8, 10, 12, 14, 18, 22, 28, 34, 40, 48, 50, 64, 80};

// Paragraph alignment values as the program numbers them.
enum class Alignment { kLeft = 0, kRight = 1, kCentre = 2, kJustify = 3 };
Alignment AlignmentOf(Qt::Alignment a);

// The character format the toolbar shows for the editor's selection: the format of the first
// selected character, or the format new typing takes when nothing is selected.
QTextCharFormat SelectionCharFormat(const QTextEdit& editor);
// Font family, size in whole points (rounded) and colour of a format, with the editor's
// defaults for what the format leaves open.
QString FamilyOf(const QTextEdit& editor, const QTextCharFormat& f);
// The family the system draws for `family`: itself when installed, else the one the font
// configuration puts in its place (Arial is drawn as Liberation Sans on Debian).
QString InstalledFamily(const QString& family);
int PointSizeOf(const QTextEdit& editor, const QTextCharFormat& f);
QColor ColourOf(const QTextEdit& editor, const QTextCharFormat& f);

class FormattingBar : public QObject {
    Q_OBJECT
  public:
    // Creates the controls (object names as below) and adds them to `bar`; neither `editor`
    // nor `bar` is owned. The controls' signals are connected to the handlers.
    FormattingBar(QTextEdit* editor, QToolBar* bar, QObject* parent = nullptr);

    // Handlers. The three list handlers do nothing while synchronising.
    void FontNameChange();
    void FontSizeChange();  // a text that is not an integer: ConversionError, no change
    void FontColourChange();
    void BoldButtonClick();  // the buttons' new state; selection, or the typing format
    void ItalicButtonClick();
    void UnderlineButtonClick();
    void AlignLeftButtonClick();
    void AlignCenterButtonClick();
    void AlignRightButtonClick();
    void SpeedButton7Click();  // justified

    // Brings the buttons and lists in line with the selection, with the synchronisation flag
    // set for the duration (cleared even when a step throws).
    void SyncWithSelection();
    bool Synchronising() const { return synchronising_; }

    QComboBox* FontName;
    QComboBox* FontSize;
    QComboBox* FontColour;
    QToolButton* BoldButton;
    QToolButton* ItalicButton;
    QToolButton* UnderlineButton;
    QToolButton* AlignLeftButton;
    QToolButton* AlignCenterButton;
    QToolButton* AlignRightButton;
    QToolButton* SpeedButton7;

  signals:
    // The conversion error of a font size text: "'%s' is not a valid integer value".
    void ConversionError(const QString& message);

  private:
    // Merges into the selection (or the typing format), repaints and focuses the editor.
    void ApplyToSelection(const QTextCharFormat& f);
    // Enter in the size box: the typed text, listed or not.
    void FontSizeTyped();
    void SetAlignment(Qt::Alignment a);

    QTextEdit* editor_;
    bool synchronising_ = false;
};

}  // namespace jb::editor
