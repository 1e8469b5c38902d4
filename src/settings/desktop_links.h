#pragma once
// The desktop entries the options dialog switches: the find shortcut ("Search Jotterbase.desktop",
// which starts the program with /FIND under a hot key) and the "Import to Jotterbase" entry that
// file managers offer under "Open With" for the types import reads. Both live in the user's
// applications folder: $XDG_DATA_HOME/applications, or ~/.local/share/applications.
//
// The hot key is written as KDE's X-KDE-Shortcuts key ("Ctrl+Alt+F"), which Plasma binds as a
// global shortcut of the entry; other desktops ignore it and list the entry in their menus.

#include <QKeySequence>
#include <QString>
#include <optional>

namespace jb::settings_ui {

QString ApplicationsFolder();
QString FindShortcutFile();  // "Search Jotterbase.desktop" in the applications folder
QString ImportEntryFile();   // "jotterbase-import.desktop" in the applications folder

// The hot key of a find shortcut written without one.
QKeySequence DefaultFindHotKey();

// The hot key of the find shortcut, or nothing when there is no find shortcut.
std::optional<QKeySequence> ReadFindShortcut();
// Creates or updates the find shortcut; false when it cannot be written. `nameFolder`: the
// program is started with --folder=`programFolder` (it is installed for every user and keeps
// no folder of its own).
bool WriteFindShortcut(const QString& program, const QString& programFolder, const QKeySequence& hotKey,
                       bool nameFolder = false);
void DeleteFindShortcut();

bool ImportEntryExists();
// Creates or updates the "Import to Jotterbase" entry; false when it cannot be written.
// `nameFolder` as for the find shortcut.
bool WriteImportEntry(const QString& program, const QString& programFolder, bool nameFolder = false);
void DeleteImportEntry();

// --- The encoding of desktop entry values (public for the tests) ---
// A value of type string: backslash, newline, tab, carriage return and a leading space escaped.
QString EscapedValue(const QString& text);
// The text of an escaped value back.
QString UnescapedValue(const QString& value);
// The program as the first word of an Exec key (or any later word), ready to be written: in
// double quotes, with '"', '`', '$' and '\' escaped by a backslash, '%' doubled, then escaped
// as a string value.
QString ExecProgram(const QString& program);

}  // namespace jb::settings_ui
