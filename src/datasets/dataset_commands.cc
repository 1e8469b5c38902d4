#include "datasets/dataset_commands.h"

#include <QAction>
#include <QLineEdit>
#include <QToolButton>

#include "datasets/dataset_names.h"
#include "datasets/progress_form.h"
#include "datasets/rename_data_set.h"
#include "settings/settings.h"
#include "store/dataset_paths.h"
#include "workspace/main_form.h"

namespace jb::datasets {
namespace {

const QString kDataFilter = "Jotterbase Data files (*.jb)";

}  // namespace

DataSetCommands::DataSetCommands(workspace::TMainForm& window) : QObject(&window), window_(window) {
    ProgressForm = new TProgressForm(&window);
    const std::pair<QAction*, void (DataSetCommands::*)()> commands[] = {
        {window.CreateNewDatabase1, &DataSetCommands::CreateNewDatabase1Click},
        {window.ChangeCurrentDatabase1, &DataSetCommands::ChangeCurrentDatabase1Click},
        {window.Saveas1, &DataSetCommands::Saveas1Click},
        {window.DeletedPages, &DataSetCommands::DeletedPagesClick},
        {window.Packcurrentdatabase1, &DataSetCommands::Packcurrentdatabase1Click},
        {window.Rebuilddamagedindex1, &DataSetCommands::Rebuilddamagedindex1Click},
    };
    for (auto [item, command] : commands)
        connect(item, &QAction::triggered, this,
                [this, command = command] { window_.RunGuarded([this, command] { (this->*command)(); }); });
}

bool DataSetCommands::SettleUnsavedChanges() {
    if (!window_.CheckUnsavedChanges()) return false;
    window_.SetModified(false);
    return true;
}

bool DataSetCommands::SwitchTo(const std::string& dataSet, bool record) {
    // An index list that cannot be written would be lost with the switch: the data set stays.
    try {
        SaveIndex(window_.indexList, window_.ws.dataSet);
    } catch (const std::exception& e) {
        window_.ShowGeneralError(QString::fromLocal8Bit(e.what()));
        return false;
    }
    // The lock's read-out file lies beside the data set left behind.
    window_.ReleaseLock();
    window_.ws.dataSet = dataSet;
    window_.RunGuarded([this] { FinishInterruptedRename(window_.ws.dataSet, window_.store.Files()); });
    window_.RunGuarded([this] { window_.store.FinishInterruptedPack(window_.ws.dataSet); });
    if (record)
        window_.RunGuarded(
            [this] { SaveActiveDataSet(window_.programFolder, window_.ws.dataSet); });
    if (window_.QueryMode()) window_.CloseQueryButton->click();
    window_.CaptionRefresh();
    window_.RunGuarded([this] { LoadIndex(window_.indexList, window_.ws.dataSet); });
    return true;
}

void DataSetCommands::ShowFirstPage() {
    // A page of the data set left behind must not stay on screen: Update would write it here.
    if (window_.store.PageCount(window_.ws.dataSet) == 0) {
        window_.ShowNewEmptyPage();
        return;
    }
    window_.EditRecNum->setText("0");
    window_.GoButtonClick();
}

void DataSetCommands::CreateNewDatabase1Click() {
    if (!window_.CheckUnsavedChanges()) return;
    const QString chosen = window_.dialogs.AskSaveFile(&window_, "Create a new database called:",
                                                       QString::fromStdString(window_.programFolder), kDataFilter, {});
    if (chosen.isEmpty()) return;
    window_.SetModified(false);
    // An existing data file chosen here is opened as it is; a new one exists from its first page.
    if (SwitchTo(WithDataExtension(chosen.toStdString()))) ShowFirstPage();
}

void DataSetCommands::ChangeCurrentDatabase1Click() {
    const QString chosen = window_.dialogs.AskOpenFile(&window_, "Please select a jotterbase datafile to change to:",
                                                       "Jotterbase data files (*.jb)", {});
    if (chosen.isEmpty() || !SettleUnsavedChanges()) return;
    if (SwitchTo(chosen.toStdString())) ShowFirstPage();
}

void DataSetCommands::Saveas1Click() {
    if (window_.ws.deletedPagesMode) {
        ui::ShowInformation(window_.dialogs, &window_, "The name of the deleted data file cannot be changed.");
        return;
    }
    const QString chosen = window_.dialogs.AskSaveFile(&window_, "Rename the current database:",
                                                       QString::fromStdString(window_.programFolder), kDataFilter, {});
    if (chosen.isEmpty()) return;
    if (IsDeletedPagesDataSet(chosen.toStdString())) {
        ui::ShowInformation(window_.dialogs, &window_,
                            "You cannot use the reserved character % in a jotterbase data-set filename.");
        return;
    }
    const std::string renamed = WithDataExtension(chosen.toStdString());
    const RenameOutcome outcome = RenameDataSet(window_.ws.dataSet, renamed, window_.store.Files());
    for (const RenameMessage& m : outcome.messages)
        ui::ShowError(window_.dialogs, &window_, QString::fromStdString(m.text));
    if (!outcome.renamed) return;
    window_.ws.dataSet = renamed;
    window_.RunGuarded([this] { SaveActiveDataSet(window_.programFolder, window_.ws.dataSet); });
    window_.CaptionRefresh();
}

void DataSetCommands::DeletedPagesClick() {
    const std::string target = CounterpartOf(window_.ws.dataSet);
    if (!window_.store.Files().Exists(target)) {
        ui::ShowInformation(window_.dialogs, &window_, "There is no file of deleted pages for this data-file.");
        return;
    }
    if (!SettleUnsavedChanges()) return;
    if (SwitchTo(target)) ShowFirstPage();
}

void DataSetCommands::Packcurrentdatabase1Click() { Pack(false); }

void DataSetCommands::PackFromOptions() { Pack(true); }

void DataSetCommands::Pack(bool fromOptions) {
    ProgressForm->Begin("Packing data");
    unsigned status = 0;
    try {
        status = window_.store.PackDataSet(window_.ws.dataSet);
    } catch (...) {
        ProgressForm->End();
        throw;
    }
    if (fromOptions) ProgressForm->SetProgress(56);
    ProgressForm->SetProgress(100);
    ProgressForm->End();
    // A pack that could not open its files has changed nothing; the user is told so.
    if (status != 0) ui::ShowError(window_.dialogs, &window_, QString("Error #%1 occurred").arg(status));
}

void DataSetCommands::SwitchFromOptions(const std::string& typed, QWidget* dialog) {
    const std::string path = PathInProgramFolder(window_.programFolder, typed);
    const bool exists = window_.store.Files().Exists(path);
    if (!exists && !ui::AskYesNo(window_.dialogs, dialog,
                                 "The dataset you have chosen does not appear to exist. Do you wish to create it?",
                                 ui::kButtonYes))
        return;
    // The page on screen is settled as every other switch settles it: its changes are not
    // dropped without the user's word.
    if (!SettleUnsavedChanges() || !SwitchTo(path, exists)) return;
    ShowFirstPage();
    dialog->raise();
    if (exists)
        ui::ShowInformation(window_.dialogs, dialog,
                            "The new dataset has been activated, and will continue to be active until you select "
                            "another dataset from this window.");
}

void DataSetCommands::Rebuilddamagedindex1Click() {
    SaveIndex(window_.indexList, window_.ws.dataSet);
    // The index is loaded again at its next use, from the file the rebuild program writes. The
    // program is told the current data set, which may lie outside the program folder.
    window_.desktop.StartHidden(QString::fromStdString(window_.installation.helpers) + "IndexBld",
                                {QString::fromStdString(window_.ws.dataSet)});
}

}  // namespace jb::datasets
