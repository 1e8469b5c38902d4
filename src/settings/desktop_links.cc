#include "settings/desktop_links.h"

#include <QDir>

namespace jb::settings_ui {

QString ApplicationsFolder() {
    const QString data = qEnvironmentVariable("XDG_DATA_HOME");
    return (data.isEmpty() ? QDir::homePath() + "/.local/share" : data) + "/applications";
}

std::optional<QKeySequence> ReadFindShortcut() { return std::nullopt; }
bool WriteFindShortcut(const QString&, const QString&, const QKeySequence&) { return false; }
void DeleteFindShortcut() {}
bool ImportEntryExists() { return false; }
bool WriteImportEntry(const QString&, const QString&) { return false; }
void DeleteImportEntry() {}

}  // namespace jb::settings_ui
