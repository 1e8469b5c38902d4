#include "transfer/import_commands.h"

#include <QAction>
#include <QToolButton>

#include "workspace/main_form.h"

namespace jb::transfer {

ImportCommands::ImportCommands(workspace::TMainForm& window) : QObject(&window), window_(window) {}

void ImportCommands::ImportButtonClick() {}

void ImportCommands::ImportDOSJotterbasefile1Click() {}

void ImportCommands::ImportFiles(const QStringList&, int) {}

}  // namespace jb::transfer
