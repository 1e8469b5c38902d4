#include "settings/spelling_commands.h"

#include "workspace/main_form.h"

namespace jb::settings_ui {

SpellingCommands::SpellingCommands(workspace::TMainForm& window) : QObject(&window), window_(window) {}

void SpellingCommands::CheckSpellingButtonClick() {}

}  // namespace jb::settings_ui
