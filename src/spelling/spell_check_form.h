#pragma once
// The spelling check dialog: shows the current misspelt word of a SpellCheckRun in its
// sentence with the dictionary's suggestions, and passes the user's decision to the run. It
// accepts when the run reaches the end of the page and rejects on Cancel.

#include <QDialog>

class QLabel;
class QLineEdit;
class QListWidget;
class QPushButton;

namespace jb::ui {
class Dialogs;
}

namespace jb::spelling {

class SpellCheckRun;

class TSpellCheckForm : public QDialog {
    Q_OBJECT
public:
    // `run` stands at its first misspelt word.
    TSpellCheckForm(SpellCheckRun& run, ui::Dialogs& dialogs, QWidget* parent = nullptr);

    void ChangeButtonClick();
    void ChangeAllButtonClick();
    void IgnoreButtonClick();
    void IgnoreAllButtonClick();
    void AddButtonClick();
    void CancelButtonClick();

    QLabel* SentenceLabel;
    QLineEdit* ChangeTo;
    QListWidget* SuggestionList;
    QPushButton* ChangeButton;
    QPushButton* ChangeAllButton;
    QPushButton* IgnoreButton;
    QPushButton* IgnoreAllButton;
    QPushButton* AddWordButton;
    QPushButton* CancelButton;

private:
    // Shows the run's current word, or closes the dialog when the run has finished.
    void ShowWord(bool more);

    SpellCheckRun& run_;
    ui::Dialogs& dialogs_;
};

}  // namespace jb::spelling
