#pragma once
// What the export and print dialogs share and take from the main window: the progress window,
// the Security dialog for protected pages, the saved queries of the program folder and the
// lines of the query chosen.

#include <QString>
#include <QStringList>
#include <optional>
#include <string>
#include <vector>

#include "transfer/file_types.h"
#include "transfer/page_assembly.h"
#include "transfer/page_choice_box.h"

class QWidget;

namespace jb::workspace {
class TMainForm;
}

namespace jb::transfer {

// Shows the progress window with a caption while it lives, and hides it again however the
// command ends.
class ProgressShown {
public:
    ProgressShown(workspace::TMainForm& window, const QString& caption);
    ~ProgressShown();
    ProgressShown(const ProgressShown&) = delete;
    ProgressShown& operator=(const ProgressShown&) = delete;

    void Set(int percent);

private:
    workspace::TMainForm& window_;
};

// A file dialog's filters for the types: each name with its patterns ("Name (*.a *.b)").
QStringList DialogFilters(const std::vector<FileType>& types);

// Separator lines from the settings, the Security dialog over `dialog` for each protected page,
// the progress window, and pending events (user input aside) between query pages.
AssemblyOptions WindowAssemblyOptions(workspace::TMainForm& window, QWidget* dialog, ProgressShown& progress);

// The names of the saved query files (*.jqr) in the program folder, sorted.
QStringList SavedQueryNames(const std::string& programFolder);

// The message when a saved query cannot be found.
inline const char* const kMissingQueryText = "The query which you have selected does not appear to exist.";

// When the box chooses a query, its lines: the saved query file (a bare name is looked up in the
// program folder) or the open query. False, after the message over `dialog`, when the saved
// query does not exist; true with no lines for the other choices.
bool TakeQueryLines(workspace::TMainForm& window, QWidget* dialog, const PageChoiceBox& choice,
                    std::vector<std::string>& lines);

// Runs the open dialog for a saved query, starting in the program folder; the chosen path goes
// into the box.
void BrowseSavedQuery(workspace::TMainForm& window, QWidget* dialog, PageChoiceBox& choice);

}  // namespace jb::transfer
