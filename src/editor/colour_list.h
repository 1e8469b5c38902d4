#pragma once
// The colour list of the formatting toolbar and of the font dialog: the sixteen basic colours by
// name, in their usual order, each with a swatch and its colour as the item's data, and one
// "Custom" entry for any other colour shown.

#include <QColor>

class QComboBox;

namespace jb::editor {

// Fills an empty list with the sixteen colours.
void FillColourList(QComboBox& list);

// Makes `colour` the list's current item; a colour the list does not hold becomes its one
// custom entry.
void SelectColour(QComboBox& list, const QColor& colour);

// The colour of the list's current item (invalid when none is current).
QColor CurrentColour(const QComboBox& list);

}  // namespace jb::editor
