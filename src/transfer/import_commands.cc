#include "transfer/import_commands.h"

#include <QAction>
#include <QApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QEventLoop>
#include <QFile>
#include <QFileInfo>
#include <QTextCursor>
#include <QToolButton>

#include "editor/rtf_bridge.h"
#include "store/dataset_paths.h"
#include "store/io_error.h"
#include "transfer/file_types.h"
#include "transfer/import_cut.h"
#include "transfer/page_cutter.h"
#include "transfer/transfer_window.h"
#include "workspace/main_form.h"

namespace jb::transfer {
namespace {

const char* const kMissingFile = "The file you have selected does not exist. Please try again";
const char* const kUnreadable =
    "An error occured whilst openning the file. If the error persists, please try converting the file to Rich "
    "Text (.RTF) format, and try again.";
const char* const kNotText = "The file %1 is not a text, RTF, HTML or Markdown file.";

// The import-in-progress flag and the hourglass, for as long as one file is imported.
class ImportUnderway {
public:
    explicit ImportUnderway(workspace::TMainForm& window) : window_(window) {
        window_.ws.importInProgress = true;
        QApplication::setOverrideCursor(Qt::WaitCursor);
    }
    ~ImportUnderway() {
        QApplication::restoreOverrideCursor();
        window_.ws.importInProgress = false;
    }
    ImportUnderway(const ImportUnderway&) = delete;
    ImportUnderway& operator=(const ImportUnderway&) = delete;

private:
    workspace::TMainForm& window_;
};

std::string ReadFile(const QString& path) {
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly)) throw IoError(path.toStdString(), "The file cannot be read");
    const QByteArray bytes = file.readAll();
    if (file.error() != QFileDevice::NoError) throw IoError(path.toStdString(), "The file cannot be read");
    return std::string(bytes.constData(), static_cast<std::size_t>(bytes.size()));
}

}  // namespace

ImportCommands::ImportCommands(workspace::TMainForm& window) : QObject(&window), window_(window) {
    connect(window.ImportButton, &QToolButton::clicked, this,
            [this] { window_.RunGuarded([this] { ImportButtonClick(); }); });
    connect(window.MMenuImport, &QAction::triggered, window.ImportButton, &QToolButton::click);
    connect(window.ImportDOSJotterbasefile1, &QAction::triggered, this,
            [this] { window_.RunGuarded([this] { ImportDOSJotterbasefile1Click(); }); });
    // A file named on the command line at start-up is imported as its extension says, else as
    // the default type of the settings.
    window.hooks.importFile = [this](workspace::TMainForm& w, const QString& file) {
        ImportFiles({file}, w.settings.importFileType, TypeChoice::kDefault, false);
    };
    folder_ = QDir::homePath();
}

void ImportCommands::ImportButtonClick() {
    // "All supported files" comes first and is preselected: each file is read as its extension
    // says, and the default type of the settings takes the rest. A type filter the user picks
    // decides for every file.
    const std::optional<ui::OpenedFiles> chosen =
        window_.dialogs.AskOpenFilesOfType(&window_, "Select a file to import:", folder_,
                                           QStringList(kAllSupportedFiles) + DialogFilters(ImportFileTypes()), 0);
    if (!chosen) return;
    folder_ = QFileInfo(chosen->paths.front()).absolutePath();
    if (chosen->typeIndex <= 0)
        ImportFiles(chosen->paths, window_.settings.importFileType, TypeChoice::kDefault, false);
    else
        ImportFiles(chosen->paths, chosen->typeIndex - 1, TypeChoice::kChosen, false);
}

void ImportCommands::ImportDOSJotterbasefile1Click() {
    ui::MessageRequest warn;
    warn.caption = ui::kMessageCaption;
    warn.text =
        "This function imports files that were exported from Jotterbase for DOS by exporting as records; This "
        "operation will fail unless the file is delimited by tilde ~ characters.";
    warn.buttons = ui::kButtonOk | ui::kButtonCancel;
    if (window_.dialogs.ShowMessage(&window_, warn) != ui::kButtonOk) return;
    const std::optional<ui::OpenedFiles> chosen = window_.dialogs.AskOpenFilesOfType(
        &window_, "Select a file to import:", folder_, {"DOS Jotterbase Record exports (*)"}, 0);
    if (!chosen) return;
    folder_ = QFileInfo(chosen->paths.front()).absolutePath();
    // One file: the DOS dialog never offered more.
    ImportFiles({chosen->paths.front()}, 1, TypeChoice::kChosen, true);
}

void ImportCommands::ImportFiles(const QStringList& files, int type, TypeChoice choice, bool dosRecords) {
    for (const QString& file : files) {
        if (!QFileInfo(file).isFile()) {
            ui::ShowError(window_.dialogs, &window_, kMissingFile);
            return;
        }
        const FileKind kind = dosRecords ? FileKind::kPlainText : ImportKindOf(file.toStdString(), type, choice);
        ImportContent content = ImportContent::kText;
        std::unique_ptr<ParagraphSource> source = OpenImportSource(ReadFile(file), kind, &content);
        if (!source) {
            // Converting a binary file to RTF would not help; a text file that is not RTF may.
            ui::ShowError(window_.dialogs, &window_,
                          content == ImportContent::kBinary ? QString(kNotText).arg(file) : QString(kUnreadable));
            return;
        }
        const Imported imported = ImportOne(*source, dosRecords);
        if (imported == Imported::kPageKept) return;
        if (imported == Imported::kNoText) {
            ui::ShowInformation(window_.dialogs, &window_,
                                QString("The file %1 holds no text: no page was made from it.").arg(file));
        }
    }
}

ImportCommands::Imported ImportCommands::ImportOne(ParagraphSource& source, bool dosRecords) {
    // A page locked behind its password is left as it was: the import makes new pages.
    if (window_.PwLocked()) {
        window_.DisablePw();
        window_.store.Files().Remove(CompanionPath(window_.ws.dataSet, ".tpm"));
    }
    // The page on screen is settled as the user would have it before the import starts: asked
    // about now, it is written with the reminder question it would get, not inside the import.
    if (!window_.CheckUnsavedChanges()) return Imported::kPageKept;
    window_.SetModified(false);
    ImportUnderway underway(window_);
    ProgressShown progress(window_, "Importing");
    if (!window_.indexList.Loaded()) LoadIndex(window_.indexList, window_.ws.dataSet);
    PageCutter cutter(source, dosRecords);
    std::string rtf;
    bool any = false;
    // Pending events (the window's painting, the progress bar) run ten times a second, not after
    // every page: painting each page of a long file would cost more than making it.
    QElapsedTimer sincePending;
    sincePending.start();
    while (cutter.NextPiece(rtf)) {
        any = true;
        window_.AddButtonClick();
        editor::LoadRtf(*window_.EditBox->document(), rtf);
        const int before = window_.store.PageCount(window_.ws.dataSet);
        window_.UpdateButtonClick();
        // Update has said why a page could not be written; the rest of the file waits.
        if (window_.store.PageCount(window_.ws.dataSet) != before + 1) return Imported::kPages;
        if (sincePending.elapsed() >= 100) {
            progress.Set(cutter.Percent());
            QCoreApplication::processEvents(QEventLoop::ExcludeUserInputEvents);
            sincePending.restart();
        }
    }
    // The last new page shows from its start.
    window_.EditBox->moveCursor(QTextCursor::Start);
    return any ? Imported::kPages : Imported::kNoText;
}

}  // namespace jb::transfer
