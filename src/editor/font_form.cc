#include "editor/font_form.h"

#include <QComboBox>
#include <QDialogButtonBox>
#include <QFontDialog>
#include <QFormLayout>
#include <QVBoxLayout>

#include "editor/colour_list.h"

namespace jb::editor {

TFontForm::TFontForm(QWidget* parent) : QDialog(parent) {
    setObjectName("FontDialog1");
    setWindowTitle("Font");
    // Qt's font dialog has no colour: it sits in this dialog as a plain widget, and the colour
    // list goes below it.
    Fonts = new QFontDialog(this);
    Fonts->setObjectName("Fonts");
    Fonts->setWindowFlags(Qt::Widget);
    Fonts->setOptions(QFontDialog::NoButtons | QFontDialog::DontUseNativeDialog);
    FontColour = new QComboBox(this);
    FontColour->setObjectName("FontColour");
    FontColour->setAccessibleName("Colour");
    FillColourList(*FontColour);
    auto* colourRow = new QFormLayout;
    colourRow->addRow("&Colour:", FontColour);
    auto* buttons = new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel, this);
    connect(buttons, &QDialogButtonBox::accepted, this, &QDialog::accept);
    connect(buttons, &QDialogButtonBox::rejected, this, &QDialog::reject);
    auto* layout = new QVBoxLayout(this);
    layout->addWidget(Fonts);
    layout->addLayout(colourRow);
    layout->addWidget(buttons);
}

void TFontForm::Propose(const QFont& font, const QColor& colour) {
    Fonts->setCurrentFont(font);
    SelectColour(*FontColour, colour);
}

QFont TFontForm::ChosenFont() const { return Fonts->currentFont(); }

QColor TFontForm::ChosenColour() const { return CurrentColour(*FontColour); }

}  // namespace jb::editor
