#pragma once
// The desktop entries the options dialog switches: the find shortcut ("Search Jotterbase.desktop",
// which starts the program with /FIND under a hot key) and the "Import to Jotterbase" entry that
// file managers offer under "Open With" for the types import reads. Both live in the user's
// applications folder: $XDG_DATA_HOME/applications, or ~/.local/share/applications.

#include <QKeySequence>
#include <QString>
#include <optional>

namespace jb::settings_ui {

QString ApplicationsFolder();

// The hot key of the find shortcut, or nothing when there is no find shortcut.
std::optional<QKeySequence> ReadFindShortcut();
// Creates or updates the find shortcut; false when it cannot be written.
bool WriteFindShortcut(const QString& program, const QString& programFolder, const QKeySequence& hotKey);
void DeleteFindShortcut();

bool ImportEntryExists();
// Creates or updates the "Import to Jotterbase" entry; false when it cannot be written.
bool WriteImportEntry(const QString& program, const QString& programFolder);
void DeleteImportEntry();

}  // namespace jb::settings_ui
