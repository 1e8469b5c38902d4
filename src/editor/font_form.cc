#include "editor/font_form.h"

#include <QComboBox>
#include <QDialogButtonBox>
#include <QFontDialog>
#include <QFormLayout>
#include <QLineEdit>
#include <QListView>
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
    // Qt's dialog leaves its three lists and the boxes above them (family, style, size, made in
    // that order) unnamed.
    const char* const names[] = {"Font", "Font style", "Size"};
    const QList<QListView*> lists = Fonts->findChildren<QListView*>();
    const QList<QLineEdit*> boxes = Fonts->findChildren<QLineEdit*>();
    for (qsizetype i = 0; i < 3; ++i) {
        if (i < lists.size() && lists[i]->accessibleName().isEmpty()) lists[i]->setAccessibleName(names[i]);
        if (i < boxes.size() && boxes[i]->accessibleName().isEmpty()) boxes[i]->setAccessibleName(names[i]);
    }
    // Escape and Enter in the lists end Qt's dialog, which would hide it inside this one: they end
    // this one instead.
    connect(Fonts, &QDialog::finished, this, [this](int result) {
        Fonts->setVisible(true);
        done(result);
    });
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
