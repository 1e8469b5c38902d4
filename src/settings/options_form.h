#pragma once
// The options dialog (TOptionsForm): the preferences of the settings file in four tabs, and the
// switch of the current data set, the pack, the dictionaries, the find shortcut and the "import
// to" entry. Created once with the window; shown without blocking it.

#include <QDialog>

namespace jb::workspace {
class TMainForm;
}

namespace jb::settings_ui {

class TOptionsForm : public QDialog {
    Q_OBJECT
public:
    explicit TOptionsForm(workspace::TMainForm& window);

    // Fills the controls from the settings file and the desktop entries.
    void FormShow();
    // The languages: the "*.Lexicon" files of the program folder, each without its ending.
    void RefillLanguages();

signals:
    // "Add Dictionary": the add-dictionary dialog is the spelling's.
    void AddDictionaryClicked();

private:
    workspace::TMainForm& window_;
};

}  // namespace jb::settings_ui
