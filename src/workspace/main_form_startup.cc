// Start-up and close of the main window, the caption, help, and the guard at the boundary of
// every command.

#include <QApplication>
#include <QCloseEvent>
#include <QDateEdit>
#include <QFileInfo>
#include <QLineEdit>
#include <QMenu>
#include <QTimer>
#include <QToolBar>
#include <QToolButton>

#include "datasets/dataset_commands.h"
#include "datasets/rename_data_set.h"
#include "settings/options_form.h"
#include "spelling/spelling_commands.h"
#include "transfer/transfer_commands.h"
#include "editor/editor_front.h"
#include "remind/qt_dates.h"
#include "store/dataset_paths.h"
#include "store/io_error.h"
#include "workspace/caption_fit.h"
#include "workspace/main_form.h"
#include "workspace/workspace_text.h"

namespace jb::workspace {

// Keeps what start-up tells the spelling engine until a real engine is plugged in.
class TMainForm::NullSpellEngine final : public SpellEngine {
public:
    void SetMainLexPath(const std::string& folder) override { mainPath = folder; }
    void SetUserLexPath(const std::string& folder) override { userPath = folder; }
    void SetMainLexFiles(const std::string& files) override { mainFiles = files; }
    void SetUserLexFiles(const std::string& files) override { userFiles = files; }
    std::string mainPath, userPath, mainFiles, userFiles;
};

TMainForm::TMainForm(MainFormSeams seams, QWidget* parent)
    : QMainWindow(parent),
      dialogs(seams.dialogs),
      clock(seams.clock),
      desktop(seams.desktop),
      programFolder(seams.programFolder.empty() || seams.programFolder.back() == '/' ? seams.programFolder
                                                                                     : seams.programFolder + "/"),
      installation(seams.installation.programs.empty()
                       ? Installation{programFolder, programFolder, programFolder, false}
                       : seams.installation),
      store(FileSystem::Default(), seams.clock),
      defaultSpell_(std::make_unique<NullSpellEngine>()) {
    setObjectName("MainForm");
    ui::FitDialogsToCaptions(this);
    spellEngine = defaultSpell_.get();
    BuildWidgets();
    BuildToolbars();
    BuildMenus();
    BuildStatusBar();
    BuildTimers();
    BuildEditorFront();
    ConnectCommands();
    BuildSearch();
    BuildReminders();
    BuildProtection();
    DataSets = new datasets::DataSetCommands(*this);
    Transfer = new transfer::TransferCommands(*this);
    OptionsForm = new settings_ui::TOptionsForm(*this);
    Spelling = new spelling::SpellingCommands(*this);
    // FormCreate: the query toolbar and menu appear only while a query is open.
    SetQueryMode(false);
    SetModified(false);
    setWindowTitle(QString::fromLatin1(kTitlePrefix.data(), static_cast<int>(kTitlePrefix.size())));
}

TMainForm::~TMainForm() {
    // The spelling commands' engine goes with them, after this body, among the children: from
    // here on nothing may call it.
    spellEngine = nullptr;
}

void TMainForm::RunGuarded(const std::function<void()>& command) {
    try {
        command();
    } catch (const std::exception& e) {
        ShowGeneralError(QString::fromLocal8Bit(e.what()));
    } catch (...) {
        ShowGeneralError("An unexpected error occurred.");
    }
}

void TMainForm::ShowGeneralError(const QString& text) { ui::ShowError(dialogs, this, text); }

void TMainForm::CaptionRefresh() {
    ws.deletedPagesMode = IsDeletedPagesDataSet(ws.dataSet);
    const std::string caption = CaptionText(ws.dataSet, PageCount());
    setWindowTitle(QString::fromLatin1(kTitlePrefix.data(), static_cast<int>(kTitlePrefix.size())) +
                   QString::fromLocal8Bit(caption.c_str()));
    ZapButton->setText(ws.deletedPagesMode ? "Res&tore      " : "&Zap");
    DeletedPages->setText(ws.deletedPagesMode ? "&Main Data" : "&Deleted Pages");
}

void TMainForm::HelpContents() { desktop.ShowHelp(this, helpFile_, 10); }

bool TMainForm::FormShow(const QStringList& parameters) {
    show();
    ws.zapInProgress = false;
    layout = LoadWindowLayout(programFolder);
    ApplyLayout(layout);
    helpFile_ = QString::fromStdString(programFolder) + "JotBase.html";
    settings = LoadSettings(programFolder, *spellEngine);
    SetLexiconFolders(programFolder, *spellEngine);

    ws.dataSet = DataSetInProgramFolder(programFolder, settings.activeData);
    // A rename stopped part way is undone before the split files are counted or read.
    RunGuarded([this] { FinishInterruptedRename(ws.dataSet, store.Files()); });
    CaptionRefresh();
    RunGuarded([this] { store.FinishInterruptedPack(ws.dataSet); });
    RunGuarded([this] { LoadIndex(indexList, ws.dataSet); });

    // The header file must open for reading and writing; an empty one is removed.
    FileSystem& fs = FileSystem::Default();
    const std::string header = CompanionPath(ws.dataSet, ".hd");
    if (fs.Exists(header)) {
        bool empty = false;
        {
            std::unique_ptr<File> file = fs.Open(header, OpenMode::kReadWrite);
            if (!file) {
                ui::MessageRequest m;
                m.caption = ui::kMessageCaption;
                m.text = "The header file is already open: Jotterbase needs full exclusive opening rights to this file.";
                m.icon = ui::MessageIcon::kError;
                dialogs.ShowMessage(this, m);
                return false;
            }
            RunGuarded([&] { empty = file->Size() == 0; });
        }
        if (empty) fs.Remove(header);
    }
    ws.importInProgress = false;

    int pageToOpen = settings.pageNum < 0 ? 0 : settings.pageNum;
    const int count = PageCount();
    if (pageToOpen > count - 1) pageToOpen = count - 1;
    SetRemindDateValue(clock.Today() + settings.howFarDef);

    if (fs.Exists(ws.dataSet)) {
        RunGuarded([this] {
            if (hooks.startupReminderQuery) hooks.startupReminderQuery(*this);
        });
        // The message of the day goes where no reminder banner is about to be typed.
        if (!QueryMode()) {
            const QString message = GetTodaysMessage();
            if (!message.isEmpty()) StartTicker(message, false, true);
        }
        SetModified(false);
        RunGuarded([&] {
            if (QueryMode()) {
                if (hooks.announceReminders) hooks.announceReminders(*this);
            } else {
                ShowPageNumber(pageToOpen);
            }
        });
        std::vector<std::string> args;
        for (const QString& p : parameters) args.push_back(p.toStdString());
        if (IsFindSwitch(args)) {
            RunGuarded([this] {
                if (hooks.openSearchDialog) hooks.openSearchDialog(*this);
            });
        } else if (!args.empty()) {
            const QString file = parameters.join(' ');
            if (QFileInfo::exists(file)) {
                QApplication::processEvents();
                RunGuarded([&] {
                    if (hooks.importFile) hooks.importFile(*this, file);
                });
            } else {
                ui::ShowError(dialogs, this, "The filename you specified does not exist.");
            }
        }
    } else {
        ws.pageNumber = 0;
        ButtonUp->setEnabled(false);
        ButtonDown->setEnabled(false);
        SetModified(false);
        ws.created = ws.modified = clock.Today();
        SetPanelText(2, "Created: " + ShortDate(ws.created));
        SetPanelText(3, "Modified: " + ShortDate(ws.modified));
        ApplyDefaultFont(false);
        EditBox->setFocus();
    }
    front_->EditBoxSelectionChange();
    ReminderTimer->start();
    return true;
}

void TMainForm::closeEvent(QCloseEvent* event) {
    if (!closed_) {
        closed_ = true;
        if (!FormCloseQuery()) {
            closed_ = false;
            event->ignore();
            return;
        }
    }
    event->accept();
}

bool TMainForm::FormCloseQuery() {
    QApplication::processEvents();
    if (QueryMode()) CloseQueryButton->click();
    // A page whose write failed (another program held the data set, a file could not be
    // written) would be gone with the window: the window stays, the page still modified, and
    // the user has been told why.
    bool settled = false;
    RunGuarded([&] { settled = CheckUnsavedChanges(); });
    if (!settled) return false;
    RunGuarded([this] {
        if (indexList.Loaded()) SaveIndex(indexList, ws.dataSet);
    });
    RunGuarded([this] { SaveWindowLayout(programFolder, CurrentLayout()); });
    RunGuarded([this] { SaveStartPage(programFolder, settings.lastPage ? ws.pageNumber : 0); });
    ReminderTimer->stop();
    AutoUpdateTimer->stop();
    FlashTimer->stop();
    Timer->stop();
    return true;
}

bool TMainForm::QueryMode() const { return !ToolBarQuery->isHidden(); }

void TMainForm::SetQueryMode(bool on) {
    ToolBarQuery->setVisible(on);
    QueryMenu->menuAction()->setVisible(on);
    // The query menu's shortcuts count only in query mode. Ctrl+R refines an open query and
    // sets the reminder otherwise: a key that two live actions share would fire neither.
    for (QAction* a : QueryMenu->actions()) a->setEnabled(on);
    Refine1->setShortcut(on ? RefineOrRemindKey() : QKeySequence());
    MMenuRemind->setShortcut(on ? QKeySequence() : RefineOrRemindKey());
}

}  // namespace jb::workspace
