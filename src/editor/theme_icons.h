#pragma once
// Icons from the desktop's icon theme by their freedesktop names, with the program's own
// fallback set (icons of the Tango Desktop Project, public domain) wherever the desktop's theme
// has none or there is no theme at all.

class QAction;
class QToolButton;

namespace jb::editor {

// Makes the fallback set known; the first call does it, and ShowIcon makes that call.
void InstallFallbackIcons();

// The button shows the named icon in place of its text, which stays its tooltip (when it has
// none of its own) and its accessible name, and gives up its mnemonic. With `withText` the text
// and its mnemonic stay beside the icon.
// A name that no theme knows leaves the button as it was.
void ShowIcon(QToolButton* button, const char* name, bool withText = false);

// A menu item shows the named icon beside its text.
void ShowIcon(QAction* action, const char* name);

}  // namespace jb::editor
