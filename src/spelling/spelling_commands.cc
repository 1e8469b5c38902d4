#include "spelling/spelling_commands.h"

#include <QAction>
#include <QTextCursor>
#include <QTextDocument>
#include <QToolButton>

#include "editor/editor_front.h"
#include "editor/link_overlay.h"
#include "editor/rtf_bridge.h"
#include "settings/options_form.h"
#include "spelling/add_dictionary_form.h"
#include "spelling/hunspell_engine.h"
#include "spelling/spell_check_form.h"
#include "spelling/spell_check_run.h"
#include "spelling/spell_highlighter.h"
#include "store/file_system.h"
#include "workspace/main_form.h"

namespace jb::spelling {

SpellingCommands::SpellingCommands(workspace::TMainForm& window)
    : QObject(&window), window_(window), engine_(std::make_unique<HunspellEngine>()) {
    setObjectName("Spelling");
    window.spellEngine = engine_.get();
    SetUpLexiconLists(window.programFolder, window.settings.dict, *engine_, FileSystem::Default());
    SetLexiconFolders(window.programFolder, *engine_);

    connect(window.CheckSpellingButton, &QToolButton::clicked, this,
            [this] { window_.RunGuarded([this] { CheckSpellingButtonClick(); }); });
    connect(window.CheckSpelling1, &QAction::triggered, this,
            [this] { window_.RunGuarded([this] { CheckSpellingButtonClick(); }); });
    connect(window.OptionsForm, &settings_ui::TOptionsForm::AddDictionaryClicked, this,
            [this] { window_.RunGuarded([this] { AddDictionaryClick(); }); });

    highlighter_ = new TSpellHighlighter(*window.EditBox, *engine_,
                                         [this] { return window_.settings.spellAsYouType && !window_.PwLocked(); });
}

// The window lets go of the engine in its own destructor: these commands go with the window's
// children, after it, when none of its members may be touched any more.
SpellingCommands::~SpellingCommands() = default;

void SpellingCommands::CheckSpellingButtonClick() {
    workspace::TPageEditor& editor = *window_.EditBox;
    if (window_.PwLocked() || editor.isReadOnly()) return;
    if (!engine_->Loaded()) {
        ui::ShowInformation(window_.dialogs, &window_,
                            engine_->LoadError() +
                                " Please choose another spell checker language in the options (File > Options).");
        return;
    }

    // The check works on a copy of the page, never on the editor itself.
    const QTextDocument& shown = *editor.document();
    const std::string before = editor::SaveRtf(shown);
    QTextDocument copy;
    copy.setDefaultFont(shown.defaultFont());
    editor::LoadRtf(copy, before);

    SpellCheckRun run(copy, *engine_);
    bool complete = true;
    if (run.Next()) {
        TSpellCheckForm form(run, window_.dialogs, &window_);
        if (runCheckDialog) {
            runCheckDialog(form);
        } else {
            form.exec();
        }
        complete = run.Finished();
    }

    // The editor always takes the copy back, changed or not, as a new document (the way pages
    // are shown), keeping the caret where it was as far as the text allows.
    const bool modified = window_.Modified() || run.Changed();
    const int caret = editor.textCursor().position();
    auto* page = new QTextDocument(&editor);
    page->setDefaultFont(shown.defaultFont());
    page->setDocumentMargin(shown.documentMargin());
    page->setDefaultTextOption(shown.defaultTextOption());
    page->setUndoRedoEnabled(shown.isUndoRedoEnabled());
    editor::LoadRtf(*page, editor::SaveRtf(copy));
    editor.setDocument(page);
    window_.Front().Links().FollowDocument();
    QTextCursor cursor(page);
    cursor.setPosition(std::min(caret, page->characterCount() - 1));
    editor.setTextCursor(cursor);
    window_.SetModified(modified);

    if (complete) ui::ShowInformation(window_.dialogs, &window_, "The spelling check is complete.");
}

void SpellingCommands::AddDictionaryClick() {
    if (!addDictionaryForm_) {
        addDictionaryForm_ = new TAddNewDictionaryForm(
            window_.dialogs, window_.programFolder, [this] { window_.OptionsForm->RefillLanguages(); },
            window_.OptionsForm);
    }
    addDictionaryForm_->show();
    addDictionaryForm_->raise();
    addDictionaryForm_->activateWindow();
}

}  // namespace jb::spelling
