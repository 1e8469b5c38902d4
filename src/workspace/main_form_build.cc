// The main window's widgets, toolbars, menus, status bar and timers, and what they are wired to.

#include <QAction>
#include <QCheckBox>
#include <QDateEdit>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QMenuBar>
#include <QGuiApplication>
#include <QMimeData>
#include <QScreen>
#include <QStatusBar>
#include <QTimeEdit>
#include <QTimer>
#include <QToolBar>
#include <QToolButton>
#include <algorithm>
#include <vector>

#include "editor/editing_commands.h"
#include "editor/editor_front.h"
#include "editor/insert_picture.h"
#include "editor/ruler.h"
#include "editor/theme_icons.h"
#include "remind/qt_dates.h"
#include "remind/ticker_panel.h"
#include "remind/time_box.h"
#include "search/search_term_box.h"
#include "workspace/focus_order.h"
#include "workspace/main_form.h"

namespace jb::workspace {

TPageEditor::TPageEditor(QWidget* parent) : QTextEdit(parent) {}

bool TPageEditor::event(QEvent* e) {
    // The editor would take Ctrl+A for itself (select all); in this program it adds a page.
    if (e->type() == QEvent::ShortcutOverride) {
        auto* key = static_cast<QKeyEvent*>(e);
        if (key->key() == Qt::Key_A && key->modifiers() == Qt::ControlModifier) {
            e->ignore();
            return true;
        }
    }
    return QTextEdit::event(e);
}

void TPageEditor::keyPressEvent(QKeyEvent* e) {
    // Tab belongs to the text; Ctrl+Tab is the way out of it (the text editor's own focus move
    // refuses while the text is editable, so the window's is asked directly).
    if (e->modifiers() & Qt::ControlModifier) {
        if (e->key() == Qt::Key_Backtab || (e->key() == Qt::Key_Tab && (e->modifiers() & Qt::ShiftModifier))) {
            QWidget::focusNextPrevChild(false);
            return;
        }
        if (e->key() == Qt::Key_Tab) {
            QWidget::focusNextPrevChild(true);
            return;
        }
    }
    if ((e->key() == Qt::Key_Return || e->key() == Qt::Key_Enter) && !isReadOnly()) emit EnterPressed();
    QTextEdit::keyPressEvent(e);
}

// An empty clipboard (nothing copied yet on a fresh X display) offers data without a single
// format, and the text control of Qt 6.4 reads the first format of that empty list: every paste
// path (menus, toolbar, keys, middle button, drop) comes through here, so it stops there.
bool TPageEditor::canInsertFromMimeData(const QMimeData* source) const {
    return source != nullptr && !source->formats().isEmpty() && QTextEdit::canInsertFromMimeData(source);
}

void TPageEditor::insertFromMimeData(const QMimeData* source) {
    if (canInsertFromMimeData(source)) QTextEdit::insertFromMimeData(source);
}

namespace {

// Raised when the toolbars change so much that an arrangement saved before no longer fits.
constexpr int kArrangementVersion = 1;

QToolButton* Button(QWidget* parent, const char* name, const QString& text, const QString& hint = {}) {
    auto* b = new QToolButton(parent);
    b->setObjectName(name);
    b->setText(text);
    b->setToolButtonStyle(Qt::ToolButtonTextOnly);
    if (!hint.isEmpty()) b->setToolTip(hint);
    return b;
}

QAction* Action(QObject* parent, const char* name, const QString& text, const QKeySequence& key = {},
                bool checkable = false) {
    auto* a = new QAction(text, parent);
    a->setObjectName(name);
    if (!key.isEmpty()) a->setShortcut(key);
    a->setCheckable(checkable);
    return a;
}

QToolBar* Bar(QMainWindow* window, const char* name, const QString& caption) {
    auto* bar = new QToolBar(caption, window);
    bar->setObjectName(name);
    return bar;
}

QCheckBox* Check(QWidget* parent, const char* name, const QString& text) {
    auto* c = new QCheckBox(text, parent);
    c->setObjectName(name);
    return c;
}

}  // namespace

void TMainForm::BuildWidgets() {
    EditBox = new TPageEditor(this);
    EditBox->setObjectName("EditBox");
    EditBox->setAccessibleName("Page text");
    EditBox->setAcceptRichText(true);
    editor::SetUpPageEditor(*EditBox);
    Ruler = new editor::Ruler(this);
    setCentralWidget(editor::EditorWithRuler(Ruler, EditBox, this));

    EditRecNum = new QLineEdit("0", this);
    EditRecNum->setObjectName("EditRecNum");
    EditRecNum->setAccessibleName("Page number");
    EditRecNum->setMaximumWidth(70);
    ButtonDown = Button(this, "ButtonDown", "<", "Find previous page");
    ButtonUp = Button(this, "ButtonUp", ">", "Find next page");
    GoButton = Button(this, "GoButton", "&Go");
    AddButton = Button(this, "AddButton", "&Add");
    UpdateButton = Button(this, "UpdateButton", "&Update", "Update This record");
    ZapButton = Button(this, "ZapButton", "&Zap");

    CutButton = Button(this, "CutButton", "Cut");
    CopyButton = Button(this, "CopyButton", "Copy");
    PasteButton = Button(this, "PasteButton", "Paste");
    UndoButton = Button(this, "UndoButton", "Undo");
    RedoButton = Button(this, "RedoButton", "Redo");
    ToolbarButton971 = Button(this, "ToolbarButton971", "Picture", "Insert a picture");

    CheckBoxReadOnly = Check(this, "CheckBoxReadOnly", "&Read only");
    CheckBoxPassword = Check(this, "CheckBoxPassword", "Pass&word");
    CheckBoxRemindMe = Check(this, "CheckBoxRemindMe", "Remind &me:");
    RemindDate = new QDateEdit(this);
    RemindDate->setObjectName("RemindDate");
    RemindDate->setAccessibleName("Reminder date");
    RemindDate->setCalendarPopup(true);
    RemindDate->setMinimumDate(remind::DayZero());
    // Day 0 means "no reminder": the box shows nothing rather than 30/12/1899.
    RemindDate->setSpecialValueText(" ");
    RemindDate->setDisplayFormat(remind::PickerDateFormat());
    RemindDate->setToolTip("Use this to select the date on which jotterbase will remind you.");
    RemindDate->setEnabled(false);
    RemindTime = new remind::TimeBox(this);
    RemindTime->setObjectName("RemindTime");
    RemindTime->setAccessibleName("Reminder time");
    RemindTime->setToolTip("Use this to select the time at which Jotterbase will remind you.");
    RemindTime->setEnabled(false);
    SetRemindDateValue(0);

    EditSearchTerm = new search::SearchTermBox(this);
    EditSearchTerm->setObjectName("EditSearchTerm");
    EditSearchTerm->setAccessibleName("Search term");
    // Room for a query of a few words. The Query toolbar shares the Search toolbar's row: the box
    // keeps its width when that appears, instead of giving way to it.
    constexpr int kSearchTermCharacters = 28, kFrameAndMargins = 12;
    EditSearchTerm->setFixedWidth(
        EditSearchTerm->fontMetrics().horizontalAdvance(QString(kSearchTermCharacters, 'x')) + kFrameAndMargins);
    ToolbarButton972 = Button(this, "ToolbarButton972", "", "Recent searches");
    ToolbarButton972->setAccessibleName("Recent searches");
    FindToolbarButton = Button(this, "FindToolbarButton", "Find");
    FindButton = Button(this, "FindButton", "Adv. &Find");

    CloseQueryButton = Button(this, "CloseQueryButton", "Close", "Close this query and return to the main selection");
    RefineButton = Button(this, "RefineButton", "Refine", "Refine your search");
    SaveQueryButton = Button(this, "SaveQueryButton", "Save", "Save the Current Query");
    FindNextButton = Button(this, "FindNextButton", "Next", "Find the Next occurance of the search term");
    FindPreviousButton =
        Button(this, "FindPreviousButton", "Previous", "Find the previous occurence of the search term");
    RejectButton = Button(this, "RejectButton", "Reject", "Remove this page from the current selection");

    ExportButton = Button(this, "ExportButton", "E&xport", "Export pages to a file");
    PrintButton = Button(this, "PrintButton", "Print", "Print the current Record");
    ImportButton = Button(this, "ImportButton", "&Import", "Import files as new pages");
    CheckSpellingButton = Button(this, "CheckSpellingButton", "Spelling", "Check the spelling of this page");
    PrintButton->setAccessibleName("Print");

    // The buttons show icons where the desktop (or the program's own set) has them. Zap keeps its
    // caption beside the icon: it reads "Restore" while the deleted pages are shown.
    const std::pair<QToolButton*, const char*> icons[] = {
        {ButtonDown, "go-previous"},        {ButtonUp, "go-next"},          {GoButton, "go-jump"},
        {AddButton, "document-new"},        {UpdateButton, "document-save"}, {CutButton, "edit-cut"},
        {CopyButton, "edit-copy"},          {PasteButton, "edit-paste"},    {UndoButton, "edit-undo"},
        {RedoButton, "edit-redo"},          {ToolbarButton971, "image-x-generic"},
        {FindToolbarButton, "system-search"}, {FindButton, "edit-find"},  {ToolbarButton972, "appointment-new"},
        {CloseQueryButton, "process-stop"}, {RefineButton, "edit-find-replace"},
        {SaveQueryButton, "document-save-as"}, {FindNextButton, "go-down"}, {FindPreviousButton, "go-up"},
        {RejectButton, "list-remove"}, {ExportButton, "document-send"}, {PrintButton, "document-print"},
        {ImportButton, "document-open"}, {CheckSpellingButton, "tools-check-spelling"}};
    for (auto [button, name] : icons) editor::ShowIcon(button, name);
    editor::ShowIcon(ZapButton, "edit-delete", true);
}

void TMainForm::BuildToolbars() {
    ToolBarFormatting = Bar(this, "ToolBarFormatting", "Formatting");
    ToolBarDatabase = Bar(this, "ToolBarDatabase", "Database");
    for (QWidget* w : {static_cast<QWidget*>(ButtonDown), static_cast<QWidget*>(EditRecNum),
                       static_cast<QWidget*>(ButtonUp), static_cast<QWidget*>(GoButton),
                       static_cast<QWidget*>(AddButton), static_cast<QWidget*>(UpdateButton),
                       static_cast<QWidget*>(ZapButton), static_cast<QWidget*>(ExportButton),
                       static_cast<QWidget*>(ImportButton), static_cast<QWidget*>(PrintButton)})
        ToolBarDatabase->addWidget(w);
    ToolBarEditing = Bar(this, "ToolBarEditing", "Editing");
    for (QToolButton* b :
         {CutButton, CopyButton, PasteButton, UndoButton, RedoButton, ToolbarButton971, CheckSpellingButton})
        ToolBarEditing->addWidget(b);
    ToolBarAttributes = Bar(this, "ToolBarAttributes", "Attributes");
    for (QWidget* w : {static_cast<QWidget*>(CheckBoxReadOnly), static_cast<QWidget*>(CheckBoxPassword),
                       static_cast<QWidget*>(CheckBoxRemindMe), static_cast<QWidget*>(RemindDate),
                       static_cast<QWidget*>(RemindTime)})
        ToolBarAttributes->addWidget(w);
    ToolBarSearch = Bar(this, "ToolBarSearch", "Search");
    for (QWidget* w : {static_cast<QWidget*>(EditSearchTerm), static_cast<QWidget*>(ToolbarButton972),
                       static_cast<QWidget*>(FindToolbarButton), static_cast<QWidget*>(FindButton)})
        ToolBarSearch->addWidget(w);
    ToolBarQuery = Bar(this, "ToolBarQuery", "Query");
    for (QToolButton* b :
         {CloseQueryButton, RefineButton, SaveQueryButton, FindNextButton, FindPreviousButton, RejectButton})
        ToolBarQuery->addWidget(b);

    // Rows that leave no control behind an overflow button at the window's first size (638 px
    // wide): the page commands with the editing ones, the formatting, the attributes, and the
    // search with the query. The user may rearrange them; the arrangement is kept (ApplyLayout).
    setIconSize(QSize(20, 20));
    const std::vector<std::vector<QToolBar*>> rows = {{ToolBarDatabase, ToolBarEditing},
                                                      {ToolBarFormatting},
                                                      {ToolBarAttributes},
                                                      {ToolBarSearch, ToolBarQuery}};
    for (const auto& row : rows) {
        if (row.front() != ToolBarDatabase) addToolBarBreak();
        for (QToolBar* bar : row) addToolBar(bar);
    }
}

void TMainForm::BuildMenus() {
    QMenuBar* bar = menuBar();
    FileMenu = bar->addMenu("&File");
    FileMenu->setObjectName("FileMenu");
    CreateNewDatabase1 = Action(this, "CreateNewDatabase1", "&New Database");
    ChangeCurrentDatabase1 = Action(this, "ChangeCurrentDatabase1", "&Open Database");
    Saveas1 = Action(this, "Saveas1", "Save Database &as");
    FileMenu->addActions({CreateNewDatabase1, ChangeCurrentDatabase1, Saveas1});
    QMenu* maintenance = FileMenu->addMenu("Database &Maintainance...");
    maintenance->setObjectName("DatabaseMaintainance1");
    Packcurrentdatabase1 = Action(this, "Packcurrentdatabase1", "&Pack Current Database");
    Rebuilddamagedindex1 = Action(this, "Rebuilddamagedindex1", "Rebuild Damaged &Index");
    maintenance->addActions({Packcurrentdatabase1, Rebuilddamagedindex1});
    MMenuExitNoUpdate = Action(this, "MMenuExitNoUpdate", "&Exit without Updating");
    Exit1 = Action(this, "Exit1", "E&xit");
    MMenuExport = Action(this, "MMenuExport", "&Export pages(s)", QKeySequence("Ctrl+E"));
    MMenuPrint = Action(this, "MMenuPrint", "P&rint page(s)", QKeySequence("Ctrl+Shift+P"));
    MMenuImport = Action(this, "MMenuImport", "&Import file", QKeySequence("Ctrl+I"));
    ImportDOSJotterbasefile1 = Action(this, "ImportDOSJotterbasefile1", "Import DOS &Jotterbase file");
    FileMenu->addSeparator();
    FileMenu->addActions({MMenuImport, ImportDOSJotterbasefile1, MMenuExport, MMenuPrint});
    Options1 = Action(this, "Options1", "&Options");
    FileMenu->addSeparator();
    FileMenu->addAction(Options1);
    FileMenu->addSeparator();
    FileMenu->addAction(MMenuExitNoUpdate);
    FileMenu->addAction(Exit1);

    PageMenu = bar->addMenu("&Page");
    PageMenu->setObjectName("PageMenu");
    MMenuAdd = Action(this, "MMenuAdd", "&Add Page", QKeySequence("Ctrl+A"));
    MMenuUpdate = Action(this, "MMenuUpdate", "&Update", QKeySequence("Ctrl+S"));
    MMenuZap = Action(this, "MMenuZap", "&Delete Page", QKeySequence("Ctrl+D"));
    MMenuNext = Action(this, "MMenuNext", "&Next Page", QKeySequence("Shift+F10"));
    MMenuPrevious = Action(this, "MMenuPrevious", "&Previous Page", QKeySequence("Shift+F9"));
    Readonly1 = Action(this, "Readonly1", "&Read only", QKeySequence("Ctrl+O"), true);
    MMenuPassword = Action(this, "MMenuPassword", "Pass&word Protected", QKeySequence("Ctrl+P"), true);
    MMenuRemind = Action(this, "MMenuRemind", "Re&mind-date set", RefineOrRemindKey(), true);
    AutomaticUpdate1 = Action(this, "AutomaticUpdate1", "Automat&ic Update", QKeySequence("Shift+Ctrl+U"), true);
    PageMenu->addActions({MMenuAdd, MMenuUpdate, MMenuZap});
    PageMenu->addSeparator();
    Saveastemplate1 = Action(this, "Saveastemplate1", "Save as &template");
    ChangeLoadedTemplate1 = Action(this, "ChangeLoadedTemplate1", "Change &loaded template");
    PageMenu->addActions({Saveastemplate1, ChangeLoadedTemplate1});
    // Ctrl+E belongs to Export pages(s); the field jump takes Ctrl+Shift+E.
    GotoNextField1 = Action(this, "GotoNextField1", "Goto Next &Field", QKeySequence("Ctrl+Shift+E"));
    PageMenu->addAction(GotoNextField1);
    PageMenu->addSeparator();
    PageMenu->addActions({MMenuNext, MMenuPrevious});
    PageMenu->addSeparator();
    QMenu* attributes = PageMenu->addMenu("Page Attri&butes");
    attributes->setObjectName("PageAttributes1");
    attributes->addActions({Readonly1, MMenuPassword});
    PageMenu->addActions({MMenuRemind, AutomaticUpdate1});

    EditMenu = bar->addMenu("&Edit");
    EditMenu->setObjectName("EditMenu");
    MMenuUndo = Action(this, "MMenuUndo", "&Undo");
    MMenuRedo = Action(this, "MMenuRedo", "&Redo");
    EditMenu->addActions({MMenuUndo, MMenuRedo});
    EditMenu->addSeparator();
    MMenuCut = EditMenu->addAction("&Cut", EditBox, &QTextEdit::cut);
    MMenuCut->setObjectName("MMenuCut");
    MMenuCopy = EditMenu->addAction("C&opy", EditBox, &QTextEdit::copy);
    MMenuCopy->setObjectName("MMenuCopy");
    QAction* paste = EditMenu->addAction("&Paste", EditBox, &QTextEdit::paste);
    paste->setObjectName("MMenuPaste");
    QAction* all = EditMenu->addAction("Select &All", EditBox, [this] { editor::SelectAll(*EditBox); });
    all->setObjectName("MenuItem9710");
    EditMenu->addSeparator();
    Findinthisrecord1 = Action(this, "Findinthisrecord1", "&Find on this page...");
    Insertobject1 = Action(this, "Insertobject1", "&Insert object");
    EditMenu->addActions({Findinthisrecord1, Insertobject1});
    CheckSpelling1 = Action(this, "CheckSpelling1", "&Check Spelling", QKeySequence("Alt+S"));
    EditMenu->addAction(CheckSpelling1);

    FormatMenu = bar->addMenu("Forma&t");
    FormatMenu->setObjectName("FormatMenu");
    MenuItem9715 = Action(this, "MenuItem9715", "&Font...");
    FormatMenu->addAction(MenuItem9715);

    QueryMenu = bar->addMenu("&Query");
    QueryMenu->setObjectName("QueryMenu");
    CloseQuery1 = Action(this, "CloseQuery1", "&Close");
    Refine1 = Action(this, "Refine1", "&Refine");  // Ctrl+R while a query is open
    SaveQuery1 = Action(this, "SaveQuery1", "&Save");
    FindNext1 = Action(this, "FindNext1", "Find &next occurence", QKeySequence("F10"));
    FindPrevious1 = Action(this, "FindPrevious1", "Find &Previous occurence", QKeySequence("F9"));
    RejectCurrentpage1 = Action(this, "RejectCurrentpage1", "Re&ject current page", QKeySequence("Ctrl+Alt+R"));
    QueryMenu->addActions({CloseQuery1, Refine1, SaveQuery1, FindNext1, FindPrevious1, RejectCurrentpage1});

    ViewMenu = bar->addMenu("&View");
    ViewMenu->setObjectName("ViewMenu");
    ViewRuler1 = Action(this, "ViewRuler1", "View &Ruler", {}, true);
    ViewMenu->addAction(ViewRuler1);
    DeletedPages = Action(this, "DeletedPages", "&Deleted Pages");
    ViewMenu->addAction(DeletedPages);
    // The boxes Tab reaches only through every toolbar before them, at one key each.
    GotoPageNumber1 = Action(this, "GotoPageNumber1", "Page &Number Box", QKeySequence("Ctrl+G"));
    GotoSearchTerm1 = Action(this, "GotoSearchTerm1", "Search &Box", QKeySequence("Ctrl+Shift+F"));
    ViewMenu->addActions({GotoPageNumber1, GotoSearchTerm1});
    QMenu* toolbars = ViewMenu->addMenu("&Toolbars");
    toolbars->setObjectName("Toolbars1");
    Formatting1 = Action(this, "Formatting1", "For&matting", {}, true);
    Database1 = Action(this, "Database1", "Data&base", {}, true);
    Editing1 = Action(this, "Editing1", "E&diting", {}, true);
    Attributes1 = Action(this, "Attributes1", "&Attributes", {}, true);
    Searchdata1 = Action(this, "Searchdata1", "&Search data", {}, true);
    toolbars->addActions({Formatting1, Database1, Editing1, Attributes1, Searchdata1});

    HelpMenu = bar->addMenu("&Help");
    HelpMenu->setObjectName("HelpMenu");
    Contents1 = Action(this, "Contents1", "&Contents && Index", QKeySequence("F1"));
    HelpMenu->addAction(Contents1);

    const std::pair<QAction*, const char*> icons[] = {
        {CreateNewDatabase1, "document-new"}, {ChangeCurrentDatabase1, "document-open"},
        {Saveas1, "document-save-as"},        {Exit1, "system-log-out"},   {MMenuAdd, "document-new"},
        {MMenuUpdate, "document-save"},       {MMenuZap, "edit-delete"},   {MMenuNext, "go-next"},
        {MMenuPrevious, "go-previous"},       {MMenuUndo, "edit-undo"},    {MMenuRedo, "edit-redo"},
        {MMenuCut, "edit-cut"},               {MMenuCopy, "edit-copy"},    {paste, "edit-paste"},
        {all, "edit-select-all"},             {Findinthisrecord1, "edit-find"},
        {Insertobject1, "image-x-generic"},   {MenuItem9715, "preferences-desktop-font"},
        {CloseQuery1, "process-stop"},        {Refine1, "edit-find-replace"}, {SaveQuery1, "document-save-as"},
        {FindNext1, "go-down"},               {FindPrevious1, "go-up"},    {RejectCurrentpage1, "list-remove"},
        {Contents1, "help-browser"}};
    for (auto [action, name] : icons) editor::ShowIcon(action, name);

    // The editor's right-click menu.
    PopupMenu1 = new QMenu(this);
    PopupMenu1->setObjectName("PopupMenu1");
    RMenuNext = Action(this, "RMenuNext", "&> Next Page");
    RMenuPrevious = Action(this, "RMenuPrevious", "&< Previous Page");
    AddPage1 = Action(this, "AddPage1", "&Add Page");
    UpdatePage1 = Action(this, "UpdatePage1", "&Update Page");
    DeletePage1 = Action(this, "DeletePage1", "&Delete Page");
    PopupMenu1->addAction("Cu&t", EditBox, &QTextEdit::cut);
    PopupMenu1->addAction("&Copy", EditBox, &QTextEdit::copy);
    PopupMenu1->addAction("&Paste", EditBox, &QTextEdit::paste);
    RMenuSelectAll = Action(this, "RMenuSelectAll", "Select &All");
    RMenuFont = Action(this, "RMenuFont", "&Font...");
    PopupMenu1->addActions({RMenuSelectAll, RMenuFont});
    PopupMenu1->addSeparator();
    PopupMenu1->addActions({RMenuNext, RMenuPrevious, AddPage1, UpdatePage1, DeletePage1});
    EditBox->setContextMenuPolicy(Qt::CustomContextMenu);
    connect(EditBox, &QWidget::customContextMenuRequested, this,
            [this](const QPoint& at) { PopupMenu1->popup(EditBox->mapToGlobal(at)); });
}

void TMainForm::BuildStatusBar() {
    // The panels' widths as measured in an 8-point font are their least widths; in the font in
    // use each panel is as wide as the longest text it shows, and the ticker takes the rest.
    static constexpr int kWidths[5] = {85, 50, 113, 113, 50};
    const QString longest[4] = {"Ln: 99999  Col: 9999", "Modified", "Created: 00/00/0000", "Modified: 00/00/0000"};
    QStatusBar* bar = statusBar();
    bar->setObjectName("StatusBar");
    bar->setSizeGripEnabled(false);
    tickerPanel_ = new remind::TickerPanel(bar);
    for (int i = 0; i < 5; ++i) {
        panels_[i] = i == 4 ? tickerPanel_ : new QLabel(bar);
        panels_[i]->setObjectName(QString("StatusPanel%1").arg(i));
        panels_[i]->setAlignment(Qt::AlignCenter);
        panels_[i]->setFrameStyle(QFrame::Panel | QFrame::Sunken);
        const int margins = 2 * panels_[i]->frameWidth() + 12;
        const int textWidth = i < 4 ? panels_[i]->fontMetrics().horizontalAdvance(longest[i]) + margins : 0;
        panels_[i]->setMinimumWidth(std::max(kWidths[i], textWidth));
        bar->addWidget(panels_[i], i == 4 ? 1 : 0);
    }
}

void TMainForm::BuildTimers() {
    auto timer = [this](const char* name, int interval) {
        auto* t = new QTimer(this);
        t->setObjectName(name);
        t->setInterval(interval);
        return t;
    };
    ReminderTimer = timer("ReminderTimer", 30000);
    AutoUpdateTimer = timer("AutoUpdateTimer", 3000);
    FlashTimer = timer("FlashTimer", 300);
    Timer = timer("Timer", 1);
}

void TMainForm::BuildEditorFront() {
    front_ = new editor::EditorFront(EditBox, ToolBarFormatting, Ruler, this,
                                     [this](const QString& t) { SetPanelText(0, t); });
    front_->Caret().SetClipboardControls({CopyButton, CutButton, MMenuCopy, MMenuCut});
    connect(front_, &editor::EditorFront::LinkClicked, this,
            [this](const QString& l) { RunGuarded([this, l] { EditBoxURLClick(l); }); });
    connect(front_, &editor::EditorFront::ConversionError, this, &TMainForm::ShowGeneralError);
}

void TMainForm::MenuItem9715Click() {
    const QTextCharFormat current = editor::SelectionCharFormat(*EditBox);
    if (std::optional<ui::FontChoice> chosen = dialogs.AskFont(this, current.font(), editor::ColourOf(*EditBox, current)))
        editor::ApplyChosenFont(*EditBox, chosen->font, chosen->colour);
}

void TMainForm::Insertobject1Click() {
    const QString path = dialogs.AskOpenFile(this, "Insert object", editor::kPictureFileFilter, {});
    if (path.isEmpty()) return;
    const QString err = editor::InsertPictureFile(*EditBox, path);
    if (!err.isEmpty()) ui::ShowError(dialogs, this, err);
}

void TMainForm::ViewRuler1Click() { editor::ToggleView(*Ruler, ViewRuler1); }

void TMainForm::ConnectCommands() {
    // Every command runs guarded: no exception reaches the event loop.
    auto on = [this](auto* sender, auto signal, std::function<void()> command) {
        connect(sender, signal, this, [this, command] { RunGuarded(command); });
    };
    on(ButtonUp, &QToolButton::clicked, [this] { ButtonUpClick(); });
    on(ButtonDown, &QToolButton::clicked, [this] { ButtonDownClick(); });
    on(GoButton, &QToolButton::clicked, [this] { GoButtonClick(); });
    on(EditRecNum, &QLineEdit::returnPressed, [this] { GoButton->click(); });
    on(AddButton, &QToolButton::clicked, [this] { AddButtonClick(); });
    on(UpdateButton, &QToolButton::clicked, [this] { UpdateButtonClick(); });
    on(ZapButton, &QToolButton::clicked, [this] { ZapButtonClick(); });
    on(UndoButton, &QToolButton::clicked, [this] { EditBox->undo(); });
    on(RedoButton, &QToolButton::clicked, [this] { EditBox->redo(); });
    on(CutButton, &QToolButton::clicked, [this] { EditBox->cut(); });
    on(CopyButton, &QToolButton::clicked, [this] { EditBox->copy(); });
    on(PasteButton, &QToolButton::clicked, [this] { EditBox->paste(); });
    on(ToolbarButton971, &QToolButton::clicked, [this] { Insertobject1Click(); });
    on(Insertobject1, &QAction::triggered, [this] { Insertobject1Click(); });
    on(Findinthisrecord1, &QAction::triggered, [this] { front_->Finder().Findinthisrecord1Click(); });
    on(RMenuSelectAll, &QAction::triggered, [this] { editor::SelectAll(*EditBox); });
    on(MenuItem9715, &QAction::triggered, [this] { MenuItem9715Click(); });
    on(RMenuFont, &QAction::triggered, [this] { MenuItem9715Click(); });

    // Menu items that duplicate a toolbar button press it, even while the button is disabled
    // (the items have their own enabled state).
    auto presses = [this](QAction* item, QToolButton* button) {
        connect(item, &QAction::triggered, button, [button] { emit button->clicked(false); });
    };
    presses(MMenuAdd, AddButton);
    presses(AddPage1, AddButton);
    presses(MMenuUpdate, UpdateButton);
    presses(UpdatePage1, UpdateButton);
    presses(MMenuZap, ZapButton);
    presses(DeletePage1, ZapButton);
    presses(MMenuNext, ButtonUp);
    presses(RMenuNext, ButtonUp);
    presses(MMenuPrevious, ButtonDown);
    presses(RMenuPrevious, ButtonDown);
    presses(MMenuUndo, UndoButton);
    presses(MMenuRedo, RedoButton);
    presses(CloseQuery1, CloseQueryButton);
    presses(Refine1, RefineButton);
    presses(SaveQuery1, SaveQueryButton);
    presses(FindNext1, FindNextButton);
    presses(FindPrevious1, FindPreviousButton);
    presses(RejectCurrentpage1, RejectButton);
    on(CloseQueryButton, &QToolButton::clicked, [this] {
        if (hooks.closeQuery)
            hooks.closeQuery(*this);
        else
            SetQueryMode(false);
    });

    on(MMenuExitNoUpdate, &QAction::triggered, [this] { MMenuExitNoUpdateClick(); });
    connect(Exit1, &QAction::triggered, this, &QWidget::close);
    on(Contents1, &QAction::triggered, [this] { HelpContents(); });

    // Check boxes run their handler whenever their state changes, from the user or the program.
    connect(CheckBoxReadOnly, &QCheckBox::toggled, this,
            [this](bool on) { RunGuarded([this, on] { CheckBoxReadOnlyClick(on); }); });
    connect(CheckBoxPassword, &QCheckBox::toggled, this,
            [this](bool on) { RunGuarded([this, on] { CheckBoxPasswordClick(on); }); });
    connect(CheckBoxRemindMe, &QCheckBox::toggled, this,
            [this](bool on) { RunGuarded([this, on] { CheckBoxRemindMeClick(on); }); });
    connect(Readonly1, &QAction::triggered, CheckBoxReadOnly, [this] { CheckBoxReadOnly->toggle(); });
    connect(MMenuPassword, &QAction::triggered, CheckBoxPassword, [this] {
        MMenuPassword->setChecked(CheckBoxPassword->isChecked());  // the box's handler sets it
        CheckBoxPassword->toggle();
    });
    on(MMenuRemind, &QAction::triggered, [this] { MMenuRemindClick(); });
    connect(RemindDate, &QDateEdit::dateChanged, this, [this] { RunGuarded([this] { RemindDateChange(); }); });
    connect(RemindTime, &QTimeEdit::timeChanged, this, [this] { RunGuarded([this] { RemindTimeChange(); }); });
    connect(AutomaticUpdate1, &QAction::toggled, this,
            [this](bool on) { RunGuarded([this, on] { AutomaticUpdate1Click(on); }); });

    connect(EditBox, &QTextEdit::textChanged, this, [this] { RunGuarded([this] { EditBoxChange(); }); });
    connect(EditBox, &TPageEditor::EnterPressed, this, [this] { RunGuarded([this] { EditBoxKeyPress(); }); });

    on(AutoUpdateTimer, &QTimer::timeout, [this] { GoButton->click(); });
    on(Timer, &QTimer::timeout, [this] { TimerTimer(); });
    on(ReminderTimer, &QTimer::timeout, [this] { ReminderTimerTimer(); });

    // View menu: the toolbars and the ruler, each check mark following what it shows.
    const std::pair<QAction*, QToolBar*> views[] = {{Formatting1, ToolBarFormatting},
                                                     {Database1, ToolBarDatabase},
                                                     {Editing1, ToolBarEditing},
                                                     {Attributes1, ToolBarAttributes},
                                                     {Searchdata1, ToolBarSearch}};
    for (auto [item, bar] : views) {
        connect(item, &QAction::triggered, bar, [bar = bar](bool on) { bar->setVisible(on); });
        connect(bar, &QToolBar::visibilityChanged, item, [item = item, bar = bar] { item->setChecked(!bar->isHidden()); });
    }
    on(ViewRuler1, &QAction::triggered, [this] { ViewRuler1Click(); });
    const std::pair<QAction*, QLineEdit*> boxes[] = {{GotoPageNumber1, EditRecNum}, {GotoSearchTerm1, EditSearchTerm}};
    for (auto [item, box] : boxes)
        connect(item, &QAction::triggered, box, [box = box] {
            // A box on a hidden toolbar is shown with it: the user asked for it.
            for (QWidget* p = box->parentWidget(); p; p = p->parentWidget())
                if (auto* toolbar = qobject_cast<QToolBar*>(p)) toolbar->show();
            box->setFocus(Qt::ShortcutFocusReason);
            box->selectAll();
        });
}

bool TMainForm::focusNextPrevChild(bool next) { return MoveFocusAlongLayout(this, next); }

void TMainForm::ApplyLayout(const WindowLayout& l) {
    if (l.maximized) setWindowState(windowState() | Qt::WindowMaximized);
    // A settings file may hold any numbers: the window stays within the screen, at least 100
    // pixels of it on show, so that no value makes it huge or puts it out of reach.
    const QScreen* s = screen() ? screen() : QGuiApplication::primaryScreen();
    const QRect area = s ? s->availableGeometry() : QRect(0, 0, 1024, 768);
    const int width = std::clamp(l.width, 1, area.width());
    const int height = std::clamp(l.height, 1, area.height());
    move(std::clamp(l.left, area.left() - width + 100, area.left() + area.width() - 100),
         std::clamp(l.top, area.top(), area.top() + area.height() - 100));
    resize(width, height);
    Ruler->setVisible(l.rulerVisible);
    ViewRuler1->setChecked(l.rulerVisible);
    QToolBar* bars[5] = {ToolBarFormatting, ToolBarDatabase, ToolBarEditing, ToolBarAttributes, ToolBarSearch};
    QAction* items[5] = {Formatting1, Database1, Editing1, Attributes1, Searchdata1};
    // The rows the user arranged; the visibility keys of the layout decide what is shown.
    const bool queryMode = QueryMode();
    if (!l.toolbarArrangement.empty())
        restoreState(QByteArray::fromBase64(QByteArray::fromStdString(l.toolbarArrangement)), kArrangementVersion);
    ToolBarQuery->setVisible(queryMode);
    for (int i = 0; i < 5; ++i) {
        bars[i]->setVisible(l.toolbarVisible[static_cast<std::size_t>(i)]);
        items[i]->setChecked(l.toolbarVisible[static_cast<std::size_t>(i)]);
    }
}

WindowLayout TMainForm::CurrentLayout() const {
    WindowLayout l;
    l.maximized = isMaximized();
    const QRect bounds = isMaximized() ? normalGeometry() : geometry();
    l.left = isMaximized() ? bounds.left() : pos().x();
    l.top = isMaximized() ? bounds.top() : pos().y();
    l.width = bounds.width();
    l.height = bounds.height();
    l.rulerVisible = !Ruler->isHidden();
    const QToolBar* bars[5] = {ToolBarFormatting, ToolBarDatabase, ToolBarEditing, ToolBarAttributes, ToolBarSearch};
    for (std::size_t i = 0; i < 5; ++i) l.toolbarVisible[i] = !bars[i]->isHidden();
    l.toolbarArrangement = saveState(kArrangementVersion).toBase64().toStdString();
    return l;
}

QString TMainForm::PanelText(int panel) const { return panels_[panel]->text(); }

void TMainForm::SetPanelText(int panel, const QString& text) {
    if (panels_[panel] == tickerPanel_)
        tickerPanel_->SetTickerText(text);
    else
        panels_[panel]->setText(text);
}

}  // namespace jb::workspace
