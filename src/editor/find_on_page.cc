#include "editor/find_on_page.h"

#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QTextCursor>
#include <QTextEdit>
#include <QVBoxLayout>

namespace jb::editor {

std::optional<int> FindOnPage(const QString& text, const QString& what, int from, bool down) {
    if (what.isEmpty() || from < 0 || from > text.size()) return std::nullopt;
    const qsizetype at = down ? text.indexOf(what, from, Qt::CaseInsensitive)
                              : text.lastIndexOf(what, from, Qt::CaseInsensitive);
    if (at < 0) return std::nullopt;
    return static_cast<int>(at);
}

int NextFindPosition(int found, int length, bool down) {
    return down ? found + length + 1 : found - length - 1;
}

TFindForm::TFindForm(QWidget* parent) : QDialog(parent) {
    setObjectName("FindDialog1");
    setWindowTitle("Find");
    setModal(false);
    FindText = new QLineEdit(this);
    FindText->setObjectName("FindText");
    FindUp = new QRadioButton("&Up", this);
    FindUp->setObjectName("FindUp");
    FindDown = new QRadioButton("&Down", this);
    FindDown->setObjectName("FindDown");
    FindDown->setChecked(true);
    FindNextButton = new QPushButton("&Find Next", this);
    FindNextButton->setObjectName("FindNextButton");
    FindNextButton->setDefault(true);
    CloseButton = new QPushButton("Cancel", this);
    CloseButton->setObjectName("CloseButton");

    auto* direction = new QGroupBox("Direction", this);
    auto* d = new QHBoxLayout(direction);
    d->addWidget(FindUp);
    d->addWidget(FindDown);
    auto* what = new QHBoxLayout;
    auto* label = new QLabel("Fi&nd what:", this);
    label->setBuddy(FindText);
    what->addWidget(label);
    what->addWidget(FindText);
    auto* left = new QVBoxLayout;
    left->addLayout(what);
    left->addWidget(direction);
    auto* buttons = new QVBoxLayout;
    buttons->addWidget(FindNextButton);
    buttons->addWidget(CloseButton);
    buttons->addStretch();
    auto* all = new QHBoxLayout(this);
    all->addLayout(left);
    all->addLayout(buttons);

    connect(FindNextButton, &QPushButton::clicked, this, &TFindForm::Find);
    connect(CloseButton, &QPushButton::clicked, this, &QDialog::hide);
}

PageFinder::PageFinder(QTextEdit* editor, QWidget* dialogParent)
    : QObject(dialogParent), editor_(editor), dialog_(new TFindForm(dialogParent)) {
    connect(dialog_, &TFindForm::Find, this, &PageFinder::FindDialog1Find);
}

void PageFinder::Findinthisrecord1Click() {
    findPosition_ = 0;
    dialog_->FindText->clear();
    dialog_->show();
    dialog_->raise();
    dialog_->activateWindow();
}

void PageFinder::FindDialog1Find() {
    const QString what = dialog_->FindText->text();
    const bool down = !dialog_->FindUp->isChecked();
    // Positions of the editor's plain text are the document's cursor positions.
    const std::optional<int> found = FindOnPage(editor_->toPlainText(), what, findPosition_, down);
    if (!found) return;
    QTextCursor c = editor_->textCursor();
    c.setPosition(*found);
    c.setPosition(*found + static_cast<int>(what.size()), QTextCursor::KeepAnchor);
    editor_->setTextCursor(c);
    findPosition_ = NextFindPosition(*found, static_cast<int>(what.size()), down);
}

}  // namespace jb::editor
