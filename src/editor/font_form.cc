#include "editor/font_form.h"

#include <QComboBox>
#include <QDialogButtonBox>
#include <QFontDialog>
#include <QFormLayout>
#include <QListView>
#include <algorithm>
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
    // Qt's dialog leaves its three lists (family, style, size, made in that order) unnamed.
    const QList<QListView*> lists = Fonts->findChildren<QListView*>();
    const char* const listNames[] = {"Font", "Font style", "Size"};
    for (qsizetype i = 0; i < std::min<qsizetype>(lists.size(), 3); ++i)
        if (lists[i]->accessibleName().isEmpty()) lists[i]->setAccessibleName(listNames[i]);
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
