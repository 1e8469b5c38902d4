#pragma once
// Spelling in the window: the check of the current page (CheckSpellingButton, Edit > Check
// Spelling), the add-dictionary dialog of the options dialog, and misspelt words underlined as
// the user types.

#include <QObject>

namespace jb::workspace {
class TMainForm;
}

namespace jb::settings_ui {

class SpellingCommands : public QObject {
    Q_OBJECT
public:
    // Sets the window's spelling engine up and wires the button, the menu item and the options
    // dialog's "Add Dictionary".
    explicit SpellingCommands(workspace::TMainForm& window);

    void CheckSpellingButtonClick();

private:
    workspace::TMainForm& window_;
};

}  // namespace jb::settings_ui
