#pragma once
// Tab and Shift+Tab through the main window in the order a reader meets its controls, whatever
// order they were made in and wherever the user has moved the toolbars.

#include <vector>

class QWidget;

namespace jb::workspace {

// The controls of `window` that Tab stops at (shown, enabled, taking focus by Tab; a compound
// control counts once), in reading order: row by row from the top, each row from the left. A
// control in a toolbar stands at its toolbar's place and, within it, along the toolbar.
std::vector<QWidget*> TabChain(QWidget* window);

// Gives the focus to the control after (before) the one that has it in TabChain, wrapping at
// the ends. False when the window has no control to take it.
bool MoveFocusAlongLayout(QWidget* window, bool next);

}  // namespace jb::workspace
