#pragma once
// Spelling in the window: the check of the current page (CheckSpellingButton, Edit > Check
// Spelling), the add-dictionary dialog of the options dialog, and misspelt words underlined as
// the user types.

#include <QObject>
#include <functional>
#include <memory>

namespace jb::workspace {
class TMainForm;
}

namespace jb::spelling {

class HunspellEngine;
class TAddNewDictionaryForm;
class TSpellCheckForm;
class TSpellHighlighter;

class SpellingCommands : public QObject {
    Q_OBJECT
public:
    // Sets the window's spelling engine up and wires the button, the menu item and the options
    // dialog's "Add Dictionary".
    explicit SpellingCommands(workspace::TMainForm& window);
    ~SpellingCommands() override;

    // The check of the current page: a modal check dialog over a copy of the page; the editor
    // then takes the copy back. Nothing happens on a locked or read-only page.
    void CheckSpellingButtonClick();
    // The options dialog's "Add Dictionary".
    void AddDictionaryClick();

    HunspellEngine& Engine() { return *engine_; }
    TSpellHighlighter& Highlighter() { return *highlighter_; }
    // The add-dictionary dialog, once it has been shown.
    TAddNewDictionaryForm* AddDictionaryForm() const { return addDictionaryForm_; }

    // Runs the check dialog until it closes; the dialog's own modal loop unless replaced.
    std::function<void(TSpellCheckForm&)> runCheckDialog;

private:
    workspace::TMainForm& window_;
    std::unique_ptr<HunspellEngine> engine_;
    TSpellHighlighter* highlighter_;
    TAddNewDictionaryForm* addDictionaryForm_ = nullptr;
};

}  // namespace jb::spelling
