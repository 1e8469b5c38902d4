#include "spelling/spell_check_form.h"

#include <QGridLayout>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QPushButton>
#include <QVBoxLayout>

#include "spelling/spell_check_run.h"
#include "workspace/dialogs.h"

namespace jb::spelling {

namespace {

template <typename W>
W* Named(W* widget, const char* name, const QString& accessibleName) {
    widget->setObjectName(name);
    widget->setAccessibleName(accessibleName);
    return widget;
}

}  // namespace

TSpellCheckForm::TSpellCheckForm(SpellCheckRun& run, ui::Dialogs& dialogs, QWidget* parent)
    : QDialog(parent), run_(run), dialogs_(dialogs) {
    setObjectName("SpellCheckForm");
    setWindowTitle("Check Spelling");
    setModal(true);

    auto* notFound = Named(new QLabel("Not in dictionary:", this), "NotInDictionaryLabel", "Not in dictionary");
    SentenceLabel = Named(new QLabel(this), "SentenceLabel", "The misspelt word in its sentence");
    SentenceLabel->setTextFormat(Qt::RichText);
    SentenceLabel->setWordWrap(true);
    SentenceLabel->setMinimumWidth(320);
    SentenceLabel->setFrameShape(QFrame::StyledPanel);
    ChangeTo = Named(new QLineEdit(this), "ChangeTo", "Change to");
    auto* changeToLabel = Named(new QLabel("Change &to:", this), "ChangeToLabel", "Change to");
    changeToLabel->setBuddy(ChangeTo);
    SuggestionList = Named(new QListWidget(this), "SuggestionList", "Suggestions");
    auto* suggestionsLabel = Named(new QLabel("&Suggestions:", this), "SuggestionsLabel", "Suggestions");
    suggestionsLabel->setBuddy(SuggestionList);

    ChangeButton = Named(new QPushButton("&Change", this), "ChangeButton", "Change");
    ChangeAllButton = Named(new QPushButton("Change A&ll", this), "ChangeAllButton", "Change All");
    IgnoreButton = Named(new QPushButton("&Ignore", this), "IgnoreButton", "Ignore");
    IgnoreAllButton = Named(new QPushButton("I&gnore All", this), "IgnoreAllButton", "Ignore All");
    AddWordButton = Named(new QPushButton("&Add", this), "AddWordButton", "Add to the dictionary");
    CancelButton = Named(new QPushButton("Cancel", this), "CancelButton", "Cancel");
    ChangeButton->setDefault(true);

    auto* grid = new QGridLayout(this);
    grid->addWidget(notFound, 0, 0);
    grid->addWidget(SentenceLabel, 1, 0);
    grid->addWidget(changeToLabel, 2, 0);
    grid->addWidget(ChangeTo, 3, 0);
    grid->addWidget(suggestionsLabel, 4, 0);
    grid->addWidget(SuggestionList, 5, 0);
    auto* buttons = new QVBoxLayout;
    for (QPushButton* b : {ChangeButton, ChangeAllButton, IgnoreButton, IgnoreAllButton, AddWordButton, CancelButton}) {
        buttons->addWidget(b);
    }
    buttons->addStretch();
    grid->addLayout(buttons, 1, 1, 5, 1);

    connect(ChangeButton, &QPushButton::clicked, this, &TSpellCheckForm::ChangeButtonClick);
    connect(ChangeAllButton, &QPushButton::clicked, this, &TSpellCheckForm::ChangeAllButtonClick);
    connect(IgnoreButton, &QPushButton::clicked, this, &TSpellCheckForm::IgnoreButtonClick);
    connect(IgnoreAllButton, &QPushButton::clicked, this, &TSpellCheckForm::IgnoreAllButtonClick);
    connect(AddWordButton, &QPushButton::clicked, this, &TSpellCheckForm::AddButtonClick);
    connect(CancelButton, &QPushButton::clicked, this, &TSpellCheckForm::CancelButtonClick);
    connect(SuggestionList, &QListWidget::currentTextChanged, this, [this](const QString& text) {
        if (!text.isEmpty()) ChangeTo->setText(text);
    });
    connect(SuggestionList, &QListWidget::itemActivated, this, [this] { ChangeButtonClick(); });

    ShowWord(!run_.Finished());
}

void TSpellCheckForm::ShowWord(bool more) {
    if (!more) {
        accept();
        return;
    }
    const WordInSentence at = run_.Sentence();
    SentenceLabel->setText(at.sentence.left(at.wordStart).toHtmlEscaped() + "<b><font color=\"#c00000\">" +
                           at.sentence.mid(at.wordStart, at.wordLength).toHtmlEscaped() + "</font></b>" +
                           at.sentence.mid(at.wordStart + at.wordLength).toHtmlEscaped());
    const QStringList suggestions = run_.Suggestions();
    SuggestionList->clear();
    SuggestionList->addItems(suggestions);
    ChangeTo->setText(suggestions.isEmpty() ? run_.Word() : suggestions.first());
    if (!suggestions.isEmpty()) SuggestionList->setCurrentRow(0);
    ChangeTo->setFocus();
    ChangeTo->selectAll();
}

void TSpellCheckForm::ChangeButtonClick() { ShowWord(run_.Change(ChangeTo->text())); }

void TSpellCheckForm::ChangeAllButtonClick() { ShowWord(run_.ChangeAll(ChangeTo->text())); }

void TSpellCheckForm::IgnoreButtonClick() { ShowWord(run_.Ignore()); }

void TSpellCheckForm::IgnoreAllButtonClick() { ShowWord(run_.IgnoreAll()); }

void TSpellCheckForm::AddButtonClick() {
    const QString word = run_.Word();
    bool added = true;
    const bool more = run_.Add(&added);
    if (!added) ui::ShowError(dialogs_, this, "The word \"" + word + "\" could not be added to the user dictionary.");
    ShowWord(more);
}

void TSpellCheckForm::CancelButtonClick() { reject(); }

}  // namespace jb::spelling
