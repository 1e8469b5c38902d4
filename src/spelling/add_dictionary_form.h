#pragma once
// The add-dictionary dialog (TAddNewDictionaryForm): the user names a new spell-check language
// and picks its two Hunspell files; the dialog writes the language's lexicon list file into the
// program folder and has the options dialog list the languages again.

#include <QDialog>
#include <functional>
#include <string>

class QLabel;
class QLineEdit;
class QPushButton;

namespace jb::ui {
class Dialogs;
}

namespace jb::spelling {

class TAddNewDictionaryForm : public QDialog {
    Q_OBJECT
public:
    // `programFolder` ends with "/"; `refillLanguages` runs after a dictionary was added.
    TAddNewDictionaryForm(ui::Dialogs& dialogs, std::string programFolder, std::function<void()> refillLanguages,
                          QWidget* parent = nullptr);

    // "&Select files".
    void Button1Click();
    // "&Cancel".
    void Button2Click();

    QLabel* Label1;
    QLabel* Label2;
    QLineEdit* Edit1;
    QPushButton* Button1;
    QPushButton* Button2;

private:
    ui::Dialogs& dialogs_;
    const std::string programFolder_;
    std::function<void()> refillLanguages_;
};

}  // namespace jb::spelling
