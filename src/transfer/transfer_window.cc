#include "transfer/transfer_window.h"

#include <QCoreApplication>
#include <QDir>
#include <QEventLoop>

#include "datasets/dataset_commands.h"
#include "datasets/progress_form.h"
#include "protect/password_forms.h"
#include "search/query_files.h"
#include "workspace/main_form.h"

namespace jb::transfer {

ProgressShown::ProgressShown(workspace::TMainForm& window, const QString& caption) : window_(window) {
    window_.DataSets->ProgressForm->Begin(caption);
}

ProgressShown::~ProgressShown() { window_.DataSets->ProgressForm->End(); }

void ProgressShown::Set(int percent) { window_.DataSets->ProgressForm->SetProgress(percent); }

QStringList DialogFilters(const std::vector<FileType>& types) {
    QStringList filters;
    for (const FileType& t : types) {
        // The built-in plain-text entry has always read "Plain Text format" in these dialogs.
        const QString name = t.kind == FileKind::kPlainText ? QString("Plain Text format")
                                                            : QString::fromLatin1(t.name.data(), t.name.size());
        filters << name + " (" + QString::fromLatin1(t.patterns.data(), t.patterns.size()) + ")";
    }
    return filters;
}

AssemblyOptions WindowAssemblyOptions(workspace::TMainForm& window, QWidget* dialog, ProgressShown& progress) {
    AssemblyOptions options;
    options.marks = window.settings.markRecsExport;
    options.unlock = [&window, dialog](int page, const std::string& password) {
        return window.dialogs.AskPagePassword(dialog, QString("Page number %1 is encrypted.").arg(page),
                                              protect::UpperAscii(password));
    };
    options.progress = [&progress](int percent) { progress.Set(percent); };
    // The user's input waits: a second export, or a closed window, must not run inside this one.
    options.pendingEvents = [] { QCoreApplication::processEvents(QEventLoop::ExcludeUserInputEvents); };
    return options;
}

QStringList SavedQueryNames(const std::string& programFolder) {
    return QDir(QString::fromStdString(programFolder)).entryList({"*.jqr"}, QDir::Files, QDir::Name);
}

bool TakeQueryLines(workspace::TMainForm& window, QWidget* dialog, const PageChoiceBox& choice,
                    std::vector<std::string>& lines) {
    lines.clear();
    if (choice.Chosen() == PageChoice::kCurrentQuery) {
        lines = window.QueryList;
        return true;
    }
    if (choice.Chosen() != PageChoice::kSavedQuery) return true;
    const QString text = choice.SavedQueryText();
    const QString path = text.contains('/') ? text : QString::fromStdString(window.programFolder) + text;
    std::optional<std::vector<std::string>> read;
    if (!text.isEmpty()) read = search::ReadTextLines(path);
    if (!read) {
        ui::ShowInformation(window.dialogs, dialog, kMissingQueryText);
        return false;
    }
    lines = std::move(*read);
    return true;
}

void BrowseSavedQuery(workspace::TMainForm& window, QWidget* dialog, PageChoiceBox& choice) {
    const QString path = window.dialogs.AskOpenFile(dialog, "Select a saved query to export:",
                                                    "Jotterbase Queries (*.jqr)",
                                                    QString::fromStdString(window.programFolder));
    if (!path.isEmpty()) choice.SetSavedQueryText(path);
}

}  // namespace jb::transfer
