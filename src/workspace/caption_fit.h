#pragma once
// Dialog captions in full. A window manager cuts a caption that does not fit the window's width
// ("Quorvane …Password"); a dialog laid out for its controls alone is often that narrow. So
// every dialog of the program, whatever made it, is at least as wide as its caption needs.

#include <QString>

class QObject;
class QWidget;

namespace jb::ui {

// The width a window needs for the caption `title` in its title bar at the default font: the
// caption in the bold default font (the usual title font) and the frame's icon, buttons and
// margins.
int CaptionWidth(const QString& title);

// Makes `dialog` at least CaptionWidth of its caption wide (a dialog of a fixed size stays as
// high as it was laid out, and gets the width).
void FitToCaption(QWidget& dialog);

// From now on, as long as `owner` lives, every dialog of the application is fitted to its
// caption when it is shown and when its caption changes.
void FitDialogsToCaptions(QObject* owner);

}  // namespace jb::ui
