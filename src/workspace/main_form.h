#pragma once
// The main window: the hub that owns the widgets and the workspace state. Start-up and close
// are in main_form_startup.cc, the current page and navigation in main_form_navigation.cc, the
// page commands in main_form_commands.cc, the widgets in main_form_build.cc, and the reminder
// controls, the ticker and the reminder check in remind/main_form_remind.cc, the password lock in
// protect/main_form_protect.cc. Other subsystems hook in through
// TMainForm::Hooks and the public members.

#include <QKeySequence>
#include <QMainWindow>
#include <QTextEdit>
#include <functional>
#include <string>
#include <vector>

#include "remind/ticker.h"
#include "settings/program_folder.h"
#include "settings/settings.h"
#include "store/clock.h"
#include "store/page_store.h"
#include "store/word_index.h"
#include "workspace/desktop.h"
#include "workspace/dialogs.h"

class QAction;
class QCheckBox;
class QDateEdit;
class QLabel;
class QLineEdit;
class QMenu;
class QPushButton;
class QTimeEdit;
class QTimer;
class QToolBar;
class QToolButton;

namespace jb::editor {
class EditorFront;
class Ruler;
}  // namespace jb::editor

namespace jb::protect {
class TPwForm;
}

namespace jb::datasets {
class DataSetCommands;
}

namespace jb::remind {
class TickerPanel;
}

namespace jb::transfer {
class TransferCommands;
}

namespace jb::settings_ui {
class TOptionsForm;
}

namespace jb::spelling {
class SpellingCommands;
}

namespace jb::search {
class TListForm;
class TSearchForm;
}  // namespace jb::search

namespace jb::workspace {

// The page editor: a rich-text editor that tells the window about Enter before the line break
// goes in, leaves Ctrl+A to the window's "Add Page", and takes from the clipboard or a drop only
// data it can insert. Tab types a tab; Ctrl+Tab and Ctrl+Shift+Tab move the focus on and back.
class TPageEditor : public QTextEdit {
    Q_OBJECT
public:
    explicit TPageEditor(QWidget* parent = nullptr);

signals:
    void EnterPressed();

protected:
    bool event(QEvent* e) override;
    void keyPressEvent(QKeyEvent* e) override;
    bool canInsertFromMimeData(const QMimeData* source) const override;
    void insertFromMimeData(const QMimeData* source) override;
};

// Refine while a query is open, Remind-date set otherwise.
inline QKeySequence RefineOrRemindKey() { return QKeySequence(Qt::CTRL | Qt::Key_R); }

// What the window is given instead of reaching for the machine itself.
struct MainFormSeams {
    ui::Dialogs& dialogs;
    const Clock& clock;
    ui::Desktop& desktop;
    std::string programFolder;  // with its final "/"
    // Where jotterbase and IndexBld are; empty: in the program folder.
    Installation installation{};
};

// The state of the workspace for the window's whole life.
struct WorkspaceState {
    std::string dataSet;  // full path of the current data file
    bool deletedPagesMode = false;
    int pageNumber = 0;
    std::string pageId;    // empty for a page not yet written
    std::string password;  // empty when the page is not protected
    double created = 0;
    double modified = 0;
    bool zapInProgress = false;
    bool importInProgress = false;
};

class TMainForm : public QMainWindow {
    Q_OBJECT
public:
    // Where later subsystems plug in. Each hook is optional; an empty one does nothing.
    struct Hooks {
        // Start-up: run the quiet reminder query ("reminder<=" today " sort=reminder"); it
        // opens a query (shows ToolBarQuery) when pages are due.
        std::function<void(TMainForm&)> startupReminderQuery;
        // Start-up, when that query opened: the reminder banner, sound, maximise, flashing.
        std::function<void(TMainForm&)> announceReminders;
        // "/FIND" on the command line: open the search dialog on top, focus its term box.
        std::function<void(TMainForm&)> openSearchDialog;
        // A command-line file that exists: start the import with it.
        std::function<void(TMainForm&, const QString& file)> importFile;
        // Query mode: next, previous, close (CloseQueryButton).
        std::function<void(TMainForm&)> queryNext;
        std::function<void(TMainForm&)> queryPrevious;
        std::function<void(TMainForm&)> closeQuery;
        // A protected page was read (its body is in ".tpm"): lock it behind the password panel.
        std::function<void(TMainForm&)> enablePassword;
        // The password box changed state (user or program).
        std::function<void(TMainForm&, bool ticked)> passwordBoxClicked;
        // The 30-second reminder check.
        std::function<void(TMainForm&)> reminderCheck;
    };

    explicit TMainForm(MainFormSeams seams, QWidget* parent = nullptr);
    ~TMainForm() override;

    // --- Start-up and close (main_form_startup.cc) ---
    // Shows the window and runs the start-up steps. `parameters` is the command line without
    // the program name. Returns false when the program must end (the header file cannot be
    // opened for reading and writing); the message has been shown then.
    bool FormShow(const QStringList& parameters = {});
    // The closing steps, from closeEvent. Returns false, and the window stays open, when the
    // page's changes were to be written and could not be: closing would drop them.
    bool FormCloseQuery();
    void CaptionRefresh();
    QString HelpFile() const { return helpFile_; }
    void HelpContents();  // F1: the help at context 10

    // --- Current page and navigation (main_form_navigation.cc) ---
    bool GotoRecord(int n);
    // Makes page n the current page: settles the unsaved changes of the page on screen, then
    // sets the current page number and the page number box and shows the page.
    void ShowPageNumber(int n);
    void SetModified(bool flag);
    bool Modified() const;
    // The unsaved-changes check: update without asking (Autoupdate) or ask, update on Yes.
    // Returns false when the page was to be written and was not: the command that asked must
    // then keep the page on screen, or the user's changes would go with it.
    bool CheckUnsavedChanges();
    // The page number box check; shows the message and resets the box when it fails.
    bool PageNumberCheck();
    void ButtonUpClick();
    void ButtonDownClick();
    void GoButtonClick();
    void CheckBoxReadOnlyClick(bool ticked);
    void CheckBoxPasswordClick(bool ticked);
    void AutomaticUpdate1Click(bool on);
    void EditBoxChange();
    void EditBoxKeyPress();  // Enter: complete web addresses
    // A link in the page was clicked.
    void EditBoxURLClick(const QString& link);
    // Format > Font... and the context menu's Font: the font dialog, then the selection.
    void MenuItem9715Click();
    // Insert object: a picture file chosen in the file dialog goes in at the caret.
    void Insertobject1Click();
    // View > Ruler.
    void ViewRuler1Click();
    // Query mode is on while the query toolbar is shown.
    bool QueryMode() const;
    void SetQueryMode(bool on);

    // --- Page commands (main_form_commands.cc) ---
    void AddButtonClick();
    // The window holds a page not yet written: no ID, no password, not read-only, created today,
    // numbered after the last page.
    void ClearToNewPage();
    // An empty new page, not modified, when the data set shows no page.
    void ShowNewEmptyPage();
    // Nothing of any page on screen: no text, ID, password, reminder or read-only mark, so that
    // an Update can only add what the user types as a new page (after a page failed to read).
    void ShowNoPage();
    // Returns false when the write failed and the user has been told why (a failure after the
    // files were opened is thrown, as everywhere).
    bool UpdateButtonClick();
    void ZapButtonClick();
    void MMenuExitNoUpdateClick();

    // --- Reminder controls and ticker (remind/main_form_remind.cc) ---
    void CheckBoxRemindMeClick(bool ticked);
    void MMenuRemindClick();
    void RemindDateChange();
    void RemindTimeChange();
    // Shows a page's reminder on the controls.
    void ShowReminder(double reminder);
    // The value Update writes for the controls (sets RemindDate to 0 when the box is off).
    double StoredReminderValue();
    // The controls of a new page.
    void NewPageReminderDefaults();
    // The no-reminder prompt before Update writes; sets the controls when a date was chosen.
    void NoReminderPrompt();
    double RemindDateValue() const;  // whole days
    double RemindTimeValue() const;  // fraction
    void SetRemindDateValue(double days);
    void SetRemindTimeValue(double fraction);
    // The status ticker: optionally empty panel 4, set the text, optionally reset the position,
    // start the timer.
    void StartTicker(const QString& text, bool emptyPanel, bool resetPosition);
    void TimerTimer();
    const remind::Ticker& TickerState() const { return ticker_; }
    // One line of the daily messages file, or an empty text.
    QString GetTodaysMessage();
    void ReminderTimerTimer();
    // The reminder check: the due pages of the current data set (one read of the header file),
    // the prompt, and on Yes the due pages as the open query.
    void ReminderCheck();
    // Start-up, after the quiet reminder query opened: banner, sound, maximised, flashing.
    void AnnounceReminders();
    // Window flashing: one tick of FlashTimer, and a click on the window's surface.
    void FlashTimerTimer();
    void FormClick();
    // The title shows the inverted (flashed) look.
    bool FlashInverted() const { return flashInverted_; }

    // --- Password protection (protect/main_form_protect.cc) ---
    // The password box changed state (user or program).
    void PasswordBoxClicked(bool ticked);
    void MMenuPasswordClick();
    // Locks the editor behind the password panel (the page's stored bytes are in ".tpm").
    void EnablePw();
    // Removes the lock.
    void DisablePw();
    // The panel's OK and Cancel.
    void PwButtonClick();
    void Button2Click();
    // The current page is locked behind the password panel.
    bool PwLocked() const;
    // Removes the lock of a locked page and its read-out file, as leaving the page does. Run
    // before the current data set changes, since the read-out file lies beside the data set.
    void ReleaseLock();

    // --- Search and queries (search/main_form_search.cc, search/main_form_query.cc,
    //     search/main_form_links.cc) ---
    // Adv. Find: update a modified page, load the index, show the search dialog.
    void FindButtonClick();
    // Refine: the search dialog, for a search that refines the open query.
    void RefineButtonClick();
    // Quick search with the text of EditSearchTerm (2 characters at least).
    void FindToolbarButtonClick();
    // The search dialog's Search: run the search and open its query.
    void SearchFormSearch();
    // The recent searches list, and a choice from it.
    void ToolbarButton972Click();
    void ListFormClick(const QString& item);
    // Start-up: the quiet reminder query; "/FIND": the search dialog on top.
    void StartupReminderQuery();
    void OpenSearchDialogOnTop();
    // Query browsing.
    void QueryNextPage();
    void QueryPreviousPage();
    void FindNextButtonClick();
    void FindPreviousButtonClick();
    // Selects the next (previous) occurrence of the query's terms from HighlightPos; false when
    // there is none or NoHighlight is set.
    bool DoHighlight(const QString& queryText);
    bool DoHighlightUp(const QString& queryText);
    void CloseQueryButtonClick();
    void ToolBarQueryClose();  // the user closed the query toolbar itself
    void RejectButtonClick();
    // A page removed from the data set leaves the open query too: the page that took its place,
    // or the one before it, is shown. Closes a query left without pages. Returns whether the
    // query is still open.
    bool DropFromQuery(const std::string& id);
    void SaveQueryButtonClick();
    // Makes `storedText` and `ids` the open query and shows its first page (highlighting with
    // `highlightText` unless NoHighlight). `ids` is not empty.
    void OpenQuery(const std::string& storedText, const std::vector<std::string>& ids, const QString& highlightText);
    // The recent searches file of the current data set.
    QString RecentSearchesFile() const;

    // --- The status bar ---
    QString PanelText(int panel) const;
    void SetPanelText(int panel, const QString& text);
    QString ShortDate(double value) const;

    // Runs a command so that no exception reaches the event loop: an error is shown with the
    // general error message box and the program goes on.
    void RunGuarded(const std::function<void()>& command);
    void ShowGeneralError(const QString& text);

    // The editor front: formatting toolbar, ruler binding, caret panel, find, links.
    editor::EditorFront& Front() { return *front_; }

    // The open query: line 0 the stored query text, lines 1..N page IDs (bytes as stored).
    std::vector<std::string> QueryList;
    int QueryPos = 0;
    int HighlightPos = 0;
    bool NoHighlight = false;
    bool SearchMessages = false;  // the search may speak to the user
    search::TSearchForm* SearchForm;
    search::TListForm* ListForm;
    protect::TPwForm* PwForm;
    datasets::DataSetCommands* DataSets;
    transfer::TransferCommands* Transfer;
    settings_ui::TOptionsForm* OptionsForm;
    spelling::SpellingCommands* Spelling;

    // Seams and state.
    ui::Dialogs& dialogs;
    const Clock& clock;
    ui::Desktop& desktop;
    const std::string programFolder;
    const Installation installation;
    WorkspaceState ws;
    LoadedSettings settings;
    WindowLayout layout;
    PageStore store;
    IndexList indexList;
    Hooks hooks;
    SpellEngine* spellEngine;  // replaceable; a recorder of the lexicon set-up by default

    // Widgets and actions, named as their components.
    TPageEditor* EditBox;
    editor::Ruler* Ruler;
    QLineEdit* EditRecNum;
    QToolButton* ButtonUp;
    QToolButton* ButtonDown;
    QToolButton* GoButton;
    QToolButton* AddButton;
    QToolButton* UpdateButton;
    QToolButton* ZapButton;
    QToolButton* ExportButton;
    QToolButton* PrintButton;
    QToolButton* ImportButton;
    QToolButton* CheckSpellingButton;
    QToolButton* UndoButton;
    QToolButton* RedoButton;
    QToolButton* CutButton;
    QToolButton* CopyButton;
    QToolButton* PasteButton;
    QToolButton* ToolbarButton971;  // insert object
    QCheckBox* CheckBoxReadOnly;
    QCheckBox* CheckBoxPassword;
    QCheckBox* CheckBoxRemindMe;
    QDateEdit* RemindDate;
    QTimeEdit* RemindTime;
    QLineEdit* EditSearchTerm;
    QToolButton* FindToolbarButton;
    QToolButton* ToolbarButton972;
    QToolButton* FindButton;
    QToolButton* CloseQueryButton;
    QToolButton* RefineButton;
    QToolButton* SaveQueryButton;
    QToolButton* FindNextButton;
    QToolButton* FindPreviousButton;
    QToolButton* RejectButton;
    QToolBar* ToolBarFormatting;
    QToolBar* ToolBarDatabase;
    QToolBar* ToolBarEditing;
    QToolBar* ToolBarAttributes;
    QToolBar* ToolBarSearch;
    QToolBar* ToolBarQuery;
    QMenu* FileMenu;
    QMenu* PageMenu;
    QMenu* EditMenu;
    QMenu* FormatMenu;
    QMenu* QueryMenu;
    QMenu* ViewMenu;
    QMenu* HelpMenu;
    QMenu* PopupMenu1;
    QAction* Searchpages1;  // Page menu: "&Search pages" (Ctrl+F)
    QAction* RMenuSearch;   // context menu: "&Search Pages"
    QAction* CreateNewDatabase1;
    QAction* ChangeCurrentDatabase1;
    QAction* Saveas1;
    QAction* Packcurrentdatabase1;
    QAction* Rebuilddamagedindex1;
    QAction* MMenuExport;  // File menu: "&Export pages(s)" (Ctrl+E)
    QAction* MMenuPrint;   // File menu: "P&rint page(s)" (Ctrl+Shift+P)
    QAction* MMenuImport;  // File menu: "&Import file" (Ctrl+I)
    QAction* ImportDOSJotterbasefile1;  // File menu: "Import DOS &Jotterbase file"
    QAction* Saveastemplate1;           // Page menu: "Save as &template"
    QAction* ChangeLoadedTemplate1;     // Page menu: "Change &loaded template"
    QAction* GotoNextField1;            // Page menu: "Goto Next &Field" (Ctrl+Shift+E)
    QAction* Options1;                  // File menu: "&Options"
    QAction* CheckSpelling1;            // Edit menu: "&Check Spelling" (Alt+S)
    QAction* DeletedPages;  // View menu: "&Deleted Pages", or "&Main Data" in deleted-pages mode
    QAction* MMenuExitNoUpdate;
    QAction* Exit1;
    QAction* MMenuAdd;
    QAction* MMenuUpdate;
    QAction* MMenuZap;
    QAction* MMenuNext;
    QAction* MMenuPrevious;
    QAction* Readonly1;
    QAction* MMenuPassword;
    QAction* MMenuRemind;
    QAction* AutomaticUpdate1;
    QAction* MMenuUndo;
    QAction* MMenuRedo;
    QAction* MMenuCut;
    QAction* MMenuCopy;
    QAction* Findinthisrecord1;
    QAction* Insertobject1;
    QAction* MenuItem9715;  // Format > Font...
    QAction* ViewRuler1;
    QAction* GotoPageNumber1;  // View menu: the focus to the page number box (Ctrl+G)
    QAction* GotoSearchTerm1;  // View menu: the focus to the search term box (Ctrl+Shift+F)
    QAction* Formatting1;
    QAction* Database1;
    QAction* Editing1;
    QAction* Attributes1;
    QAction* Searchdata1;
    QAction* Contents1;
    QAction* RMenuNext;
    QAction* RMenuPrevious;
    QAction* AddPage1;
    QAction* UpdatePage1;
    QAction* DeletePage1;
    QAction* RMenuSelectAll;
    QAction* RMenuFont;
    QAction* CloseQuery1;
    QAction* Refine1;
    QAction* SaveQuery1;
    QAction* FindNext1;
    QAction* FindPrevious1;
    QAction* RejectCurrentpage1;
    QTimer* ReminderTimer;
    QTimer* AutoUpdateTimer;
    QTimer* FlashTimer;
    QTimer* Timer;
    // The password panel.
    QWidget* PasswordPanel;
    QLineEdit* EditPw;
    QPushButton* PwButton;
    QPushButton* PwCancelButton;  // the panel's "C&ancel" (its handler is Button2Click)

protected:
    void closeEvent(QCloseEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;
    // Tab follows the window's layout (focus_order.h).
    bool focusNextPrevChild(bool next) override;

private:
    // main_form_build.cc
    void BuildWidgets();
    void BuildToolbars();
    void BuildMenus();
    void BuildStatusBar();
    void BuildTimers();
    void BuildEditorFront();
    void ConnectCommands();
    // search/main_form_search.cc: the search forms, the search controls and the query hooks.
    void BuildSearch();
    // remind/main_form_remind.cc: the reminder hooks and flashing.
    void BuildReminders();
    // protect/main_form_protect.cc: the Set Password dialog, the password panel and its hooks.
    void BuildProtection();
    // The Set Password dialog's answers.
    void PasswordSet(const std::string& password);
    void PasswordCancelled();
    void SetLockedControls(bool enabled);
    // search/main_form_query.cc
    void ShowQueryPage(const QString& highlightText);
    void SetQueryButtons();
    void CloseQuery(bool announce);
    // After lines were removed from QueryList: the page now at QueryPos, or the last one, is
    // shown; a query left without pages closes. Returns whether the query is still open.
    bool ShowQueryAfterRemoval();
    void ShowSearchForm();
    // The window layout in and out of the widgets.
    void ApplyLayout(const WindowLayout& l);
    WindowLayout CurrentLayout() const;

    // main_form_navigation.cc
    // Loads a page body (RTF, or plain text) into the editor without marking it modified.
    void LoadEditor(std::string_view body);
    void ClearEditor();
    // The editor's content as stored and as plain text.
    std::string EditorRtf() const;
    std::string EditorPlainText() const;
    bool EditorHasLines() const;
    int PageCount();
    void ApplyDefaultFont(bool withStyle);
    // The reminder controls and the read-only box, editor state and menu mark of a page read.
    void ShowAttributes(const PageInfo& info);
    // No password, not read-only, no reminder: the attribute controls of a page not stored.
    void ClearAttributes();
    // After Zap: the query without the removed page, or a neighbour of it, or a new page.
    void ShowAfterZap(int removedNumber, const std::string& removedId);
    // After a Zap whose page could not be marked as moved: that page again, as stored.
    void ReshowUnmovedPage();
    bool ReadOnlyTicked() const;

    QLabel* panels_[5];
    remind::TickerPanel* tickerPanel_ = nullptr;  // panel 4
    QString helpFile_;
    remind::Ticker ticker_;
    bool loadingEditor_ = false;
    bool settingPickers_ = false;
    bool closed_ = false;
    bool flashInverted_ = false;
    // The toolbar controls the password lock disabled, to enable again when it is removed.
    std::vector<QWidget*> pwDisabled_;
    std::vector<QAction*> pwDisabledActions_;
    editor::EditorFront* front_ = nullptr;
    class NullSpellEngine;
    std::unique_ptr<NullSpellEngine> defaultSpell_;
};

}  // namespace jb::workspace
