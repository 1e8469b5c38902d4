#pragma once
// The font dialog of Format > Font... and the editor's context menu: the font (family, style,
// size, underline, strike-out) and, beside it, the colour of the text.

#include <QColor>
#include <QDialog>
#include <QFont>

class QComboBox;
class QFontDialog;

namespace jb::editor {

class TFontForm : public QDialog {
    Q_OBJECT
public:
    explicit TFontForm(QWidget* parent = nullptr);

    // The dialog starts at this font and colour.
    void Propose(const QFont& font, const QColor& colour);
    QFont ChosenFont() const;
    QColor ChosenColour() const;

    QFontDialog* Fonts;      // the font part, without buttons of its own
    QComboBox* FontColour;   // the colour list
};

}  // namespace jb::editor
